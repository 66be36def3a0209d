// An action host for tests: it notes every request that changes something as one line
// ("go -1 7 16", "stack /found/x 3", "alert 2344", "confirm prog doc", "launch path",
// "close", "origin 20,40 2", "highlight 4", "nested 15", "redisplay", "ask name"), keeps
// log lines apart, and answers from its fields.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/action_host.h"

namespace corvida::testing {

struct RecordingActionHost : ActionHost {
  std::vector<std::string>& events;
  std::vector<std::string> log;
  Handle card = 0;
  bool browsing = true;
  bool agree = false;                     // the answer to the launch question
  bool launch_works = true;               // what the desktop's opener reports
  std::optional<std::string> typed_name;  // the answer to "ASKUSERNAME"

  explicit RecordingActionHost(std::vector<std::string>& e) : events(e) {}

  Handle CurrentCard() override { return card; }
  bool Browsing() override { return browsing; }
  void GoToDestination(int destination, int transition, int speed) override {
    Note("go " + std::to_string(destination) + " " + std::to_string(transition) + " " +
         std::to_string(speed));
  }
  void GoToStack(const std::string& path, uint16_t card_id, int, int) override {
    Note("stack " + path + " " + std::to_string(card_id));
  }
  void RedisplayCard() override { Note("redisplay"); }
  void SetActionOrigin(Point p, int colour) override {
    Note("origin " + std::to_string(p.x) + "," + std::to_string(p.y) + " " +
         std::to_string(colour));
  }
  void ToggleHighlight(uint16_t id) override { Note("highlight " + std::to_string(id)); }
  int Alert(int id) override {
    Note("alert " + std::to_string(id));
    return 1;
  }
  std::optional<std::string> AskUserName() override {
    Note("ask name");
    return typed_name;
  }
  bool ConfirmLaunch(const std::string& program, const std::string& document) override {
    Note("confirm " + program + " " + document);
    return agree;
  }
  // Stored paths naming "missing" are out of reach; the others are found under /found/.
  std::string ResolvePath(const std::string& stored) override {
    return stored.find("missing") == std::string::npos ? "/found/" + stored : "";
  }
  bool Launch(const std::string& path) override {
    Note("launch " + path);
    return launch_works;
  }
  void ClosePlayer() override { Note("close"); }
  void NestedMessage(const Message& m) override { Note("nested " + std::to_string(m.message)); }
  bool Closing() override { return false; }
  void Log(const std::string& line) override { log.push_back(line); }

 private:
  void Note(const std::string& line) { events.push_back(line); }
};

}  // namespace corvida::testing
