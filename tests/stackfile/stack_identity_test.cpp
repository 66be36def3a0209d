// A stack's identity: the same across the player's own saves (header settings changed,
// stack saved again), different for a stack with other cards or objects.
#include "stackfile/stack_identity.h"

#include <gtest/gtest.h>

#include "stack_fixture.h"

namespace corvida::testing {
namespace {

StoredStack TwoCards(const std::string& first_name, uint16_t button_id) {
  StoredStack s;
  RecordBytes card = NewCardRecord(1, card::kKindCard, 0);
  PutCountedName(card.data() + card::kName, card::kNameField, first_name);
  AppendObject(card, Button(button_id, "Go"));
  s.AddCard(card);
  s.AddCard(NewCardRecord(2, card::kKindCard, 0));
  return s;
}

class Identity : public ::testing::Test {
 protected:
  std::string Of(const StoredStack& s) {
    dir.Write("s.stk", ToString(s.Bytes()));
    return OfFile(dir.File("s.stk"));
  }
  std::string OfFile(const std::string& path) {
    Handles handles;
    Stack stack(handles);
    EXPECT_EQ(stack.Open(path).code, 0) << path;
    return StackIdentity(stack, handles);
  }
  TempDir dir;
};

TEST_F(Identity, SurvivesSavingAndTellsOtherStacksApart) {
  const std::string first = Of(TwoCards("Start", 3));
  EXPECT_EQ(first.size(), 16u);
  EXPECT_EQ(Of(TwoCards("Start", 3)), first);
  {
    Handles handles;
    Stack stack(handles);
    ASSERT_EQ(stack.Open(dir.File("s.stk")).code, 0);
    stack.SetHeader16(header::kAutoSave, 1);  // a preference the player changes
    ASSERT_TRUE(stack.Save(dir.File("saved.stk")).saved());
  }
  EXPECT_EQ(OfFile(dir.File("saved.stk")), first);

  EXPECT_NE(Of(TwoCards("Begin", 3)), first);  // another card name
  EXPECT_NE(Of(TwoCards("Start", 4)), first);  // another object
  StoredStack more = TwoCards("Start", 3);
  more.AddCard(NewCardRecord(3, card::kKindCard, 0));
  EXPECT_NE(Of(more), first);
}

}  // namespace
}  // namespace corvida::testing
