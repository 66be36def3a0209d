#include "player/stack_open.h"

namespace corvida {

namespace {

int AlertFor(StackQuestion question) {
  return question == StackQuestion::kConvertSmallCard ? strid::kStackCardTooSmall
                                                      : strid::kDamagedResources;
}

void Answer(StackOpenAnswers& answers, StackQuestion question, bool yes) {
  if (question == StackQuestion::kConvertSmallCard) {
    answers.convert_small_card = yes;
  } else {
    answers.keep_damaged_resources = yes;
  }
}

void ShowMessages(Alerts& alerts, const std::vector<StackMessage>& messages) {
  for (const StackMessage& m : messages) {
    if (m.kind == StackMessage::Kind::kFileError) {
      alerts.ReportFileError(m.id);
    } else {
      alerts.Alert(m.id);
    }
  }
}

}  // namespace

bool HeadlessAnswer(StackQuestion question) {
  return question == StackQuestion::kConvertSmallCard ||
         question == StackQuestion::kKeepDamagedResources;
}

StackOpenResult OpenStackWithAlerts(Stack& stack, Alerts& alerts, const std::string& path,
                                    StackOpenOptions options, StackAsking asking) {
  StackOpenResult result = stack.Open(path, options);
  // Each question is asked once: an answered question is never raised again, so two
  // questions make at most two reopens.
  for (int asked = 0; result.question != StackQuestion::kNone && asked < 2; ++asked) {
    const bool yes_button = alerts.Alert(AlertFor(result.question)) == 1;
    const bool yes =
        asking == StackAsking::kHeadless ? HeadlessAnswer(result.question) : yes_button;
    Answer(options.answers, result.question, yes);
    result = stack.Open(path, options);
  }
  if (result.question != StackQuestion::kNone) result.code = kRefused;  // never: see above
  ShowMessages(alerts, result.messages);
  return result;
}

StackSaveResult SaveStackWithAlerts(Stack& stack, Alerts& alerts, const std::string& path,
                                    bool purge_unused) {
  StackSaveResult result = stack.Save(path, purge_unused);
  ShowMessages(alerts, result.messages);
  return result;
}

}  // namespace corvida
