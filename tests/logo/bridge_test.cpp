// The card bridge primitives against a fake player that records every block it is handed
// and answers as a scripted engine would: which command, which slots, what comes back.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "logo/card_bridge.h"
#include "logo_harness.h"

namespace corvida::logo {
namespace {

using testing::Harness;

// Memory blocks by token, every dispatched block recorded, answers by command number.
class FakePort : public CardPort {
 public:
  CallbackBlock& block() override { return block_; }
  void Dispatch() override {
    Issued issued{block_.command(), {}, {}};
    for (int s = 1; s <= 5; ++s) {
      issued.params[s - 1] = block_.param(s);
      if (auto it = blocks_.find(block_.param(s)); it != blocks_.end())
        issued.strings[s - 1] = StringOf(it->second);
    }
    issued_.push_back(issued);
    if (auto it = answers.find(block_.command()); it != answers.end()) it->second(block_);
  }
  uint32_t NewBlock(std::span<const uint8_t> bytes) override {
    blocks_[next_] = {bytes.begin(), bytes.end()};
    return next_++;
  }
  std::vector<uint8_t> ReadBlock(uint32_t token, size_t limit) override {
    auto it = blocks_.find(token);
    if (it == blocks_.end()) return {};
    return {it->second.begin(), it->second.begin() + long(std::min(limit, it->second.size()))};
  }
  bool WriteBlock(uint32_t token, size_t offset, std::span<const uint8_t> bytes) override {
    auto it = blocks_.find(token);
    if (it == blocks_.end() || offset + bytes.size() > it->second.size()) return false;
    std::copy(bytes.begin(), bytes.end(), it->second.begin() + long(offset));
    return true;
  }
  void DisposeBlock(uint32_t token) override { blocks_.erase(token); }

  uint32_t Text(std::string_view s) {
    return NewBlock({reinterpret_cast<const uint8_t*>(s.data()), s.size()});
  }
  uint32_t Counted(std::string_view s) {
    std::vector<uint8_t> b{uint8_t(s.size())};
    b.insert(b.end(), s.begin(), s.end());
    return NewBlock(b);
  }
  static std::string StringOf(const std::vector<uint8_t>& b) {
    if (!b.empty() && b[0] < 32) return std::string(b.begin() + 1, b.begin() + 1 + b[0]);
    return std::string(b.begin(), b.end());
  }

  struct Issued {
    int command;
    uint32_t params[5];
    std::string strings[5];  // the string a slot's token names, if any
  };
  std::vector<Issued> issued_;
  std::map<int, std::function<void(CallbackBlock&)>> answers;
  size_t live_blocks() const { return blocks_.size(); }

 private:
  CallbackBlock block_;
  std::map<uint32_t, std::vector<uint8_t>> blocks_;
  uint32_t next_ = 100;
};

class Bridge : public ::testing::Test {
 protected:
  void SetUp() override {
    h.interp().bridge().port = &port;
    // A 200 x 100 card: the turtle's origin is at (100, 50).
    port.answers[75] = [](CallbackBlock& b) {
      b.set_param(1, 200);
      b.set_param(2, 100);
    };
  }
  // The commands issued, without the card-size questions.
  std::vector<FakePort::Issued> Commands() {
    std::vector<FakePort::Issued> out;
    for (auto& i : port.issued_)
      if (i.command != 75) out.push_back(i);
    return out;
  }
  std::string Run(const std::string& lines) { return h.Lines(lines); }

  Harness h;
  FakePort port;
};

TEST_F(Bridge, MovesCarryThePendingTransitionOnce) {
  port.answers[148] = [](CallbackBlock& b) { b.set_param(1, 7); };
  Run("settransition \"Dissolve 10\nmovenext\nmovenext\nmovetocard \"Three");
  auto c = Commands();
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[0].command, 148);
  EXPECT_EQ(c[0].strings[0], "Dissolve");
  EXPECT_EQ(c[0].params[1], 0u);
  EXPECT_EQ(c[1].command, 4);
  EXPECT_EQ(c[1].params[0], 7u);  // once...
  EXPECT_EQ(c[1].params[1], 8u);  // ...at medium speed: 10 ticks
  EXPECT_EQ(c[2].params[0], 0u);  // ...and not again
  EXPECT_EQ(c[3].command, 5);
  EXPECT_EQ(c[3].params[0], 0u);
  EXPECT_EQ(c[3].params[1], 0u);
  EXPECT_EQ(c[3].strings[2], "Three");
}

TEST_F(Bridge, UnknownTransitionLeavesThePendingOneAsItWas) {
  int answer = 4;
  port.answers[148] = [&](CallbackBlock& b) { b.set_param(1, uint32_t(answer)); };
  Run("settransition \"Wipe \"slow");
  answer = -1;
  Run("settransition \"Nonsense \"fast\nmovetocard \"One");
  auto c = Commands();
  ASSERT_EQ(c.back().command, 5);
  EXPECT_EQ(c.back().params[1], (16u << 16) | 4u);
}

TEST_F(Bridge, SpeedsByWordAndNumber) {
  port.answers[148] = [](CallbackBlock& b) { b.set_param(1, 2); };
  const std::pair<const char*, uint32_t> cases[] = {
      {"\"fast", 0}, {"\"MEDIUM", 8}, {"\"slow", 16}, {"3", 0}, {"4", 8}, {"11", 8}, {"12", 16}};
  for (auto [speed, code] : cases) {
    Run(std::string("settransition \"x ") + speed + "\nmoveprev");
    EXPECT_EQ(Commands().back().params[1], code) << speed;
  }
}

TEST_F(Bridge, ItemAddressing) {
  Run("hideitem [] \"Cat \"graphic\nshowitem \"Two \"Notes 1\nshowitem \" \"b \"button");
  auto c = Commands();
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0].command, 26);
  EXPECT_EQ(c[0].params[0], 0u);
  EXPECT_EQ(c[0].params[1], 2u);
  EXPECT_EQ(c[0].strings[2], "Cat");
  EXPECT_EQ(c[1].command, 27);
  EXPECT_EQ(c[1].params[0], 0xFFFE0000u);
  EXPECT_EQ(c[1].params[1], 1u);
  EXPECT_EQ(c[1].strings[3], "Two");
  EXPECT_EQ(c[2].params[0], 0u);
}

TEST_F(Bridge, BadKindIsAnErrorUnderThePrimitive) {
  EXPECT_EQ(Run("showitem [] \"x \"window"),
            "Logo Error: SHOWITEM doesn't like \"window as input\n\nAt: SHOWITEM [] \"x "
            "\"window\n");
  EXPECT_TRUE(Commands().empty());
}

TEST_F(Bridge, MeNamesTheObjectWhoseScriptRuns) {
  port.answers[71] = [this](CallbackBlock& b) {
    b.set_param(1, port.Counted("Start"));
    b.set_param(2, port.Counted("Notes"));
    b.set_param(3, port.Counted("Cat"));
  };
  Run("showitem [] \"me \"button\nhideitem [] \"ME 2");
  auto c = Commands();
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[1].command, 27);
  EXPECT_EQ(c[1].strings[2], "Start");
  EXPECT_EQ(c[1].params[1], 0u);  // the block was restored around the question
  EXPECT_EQ(c[3].strings[2], "Cat");
}

TEST_F(Bridge, VisiblepAsksTheHoldingCardsRecord) {
  port.answers[24] = [](CallbackBlock& b) {
    b.set_param(1, 140);
    b.set_param(2, 9);  // the background holding a shared object
    b.set_param(3, 5);
  };
  uint32_t flags = 0x20;
  port.answers[35] = [&](CallbackBlock& b) {
    b.set_param(1, 3);
    b.set_param(5, flags);
  };
  EXPECT_EQ(Run("show visiblep [] \"x 0"), "FALSE\n");
  auto c = Commands();
  EXPECT_EQ(c.back().command, 35);
  EXPECT_EQ(c.back().params[0], 9u);
  EXPECT_EQ(c.back().params[1], 140u);
  flags = 0;
  EXPECT_EQ(Run("show visiblep [] \"x 0"), "TRUE\n");
  port.answers[24] = [](CallbackBlock& b) { b.set_param(2, 0); };
  EXPECT_EQ(Run("show visiblep [] \"nothing 0"), "FALSE\n");
}

TEST_F(Bridge, PositionsAndRectanglesInTurtleCoordinates) {
  port.answers[37] = [](CallbackBlock& b) {
    b.set_param(1, 130);
    b.set_param(2, 20);
  };
  EXPECT_EQ(Run("show getitempos [] \"x 0"), "[30 30]\n");
  port.answers[37] = [](CallbackBlock& b) { b.set_param(1, 0); };
  EXPECT_EQ(Run("show getitempos [] \"x 0"), "[0 0]\n");
  std::vector<uint8_t> rect(16);
  for (auto [i, v] : {std::pair{0, 90}, {1, 40}, {2, 110}, {3, 60}})
    WriteLE32(rect, size_t(i) * 4, uint32_t(v));
  const uint32_t token = port.NewBlock(rect);
  port.answers[31] = [&](CallbackBlock& b) { b.set_param(1, token); };
  EXPECT_EQ(Run("show getitemrect [] \"x 0"), "[-10 10 10 -10]\n");
  port.answers[31] = [&](CallbackBlock& b) { b.set_param(1, 0); };
  EXPECT_EQ(Run("show getitemrect [] \"x 0"), "[0 0 0 0]\n");
}

TEST_F(Bridge, SetItemRectAndPosFillTheStaticRectangle) {
  std::vector<uint8_t> seen;
  port.answers[32] = [&](CallbackBlock& b) { seen = port.ReadBlock(b.param(5), 16); };
  Run("make \"w 10\nsetitemrect [] \"x 0 [-10 :w 10 -10]");
  ASSERT_EQ(seen.size(), 16u);
  EXPECT_EQ(ReadLE32(seen, 0), 90u);
  EXPECT_EQ(ReadLE32(seen, 4), 40u);
  EXPECT_EQ(ReadLE32(seen, 8), 110u);
  EXPECT_EQ(ReadLE32(seen, 12), 60u);

  // The object's rectangle moves so its centre lands on the point.
  std::vector<uint8_t> rect(16);
  for (auto [i, v] : {std::pair{0, 0}, {1, 0}, {2, 20}, {3, 10}})
    WriteLE32(rect, size_t(i) * 4, uint32_t(v));
  const uint32_t token = port.NewBlock(rect);
  port.answers[31] = [&](CallbackBlock& b) { b.set_param(1, token); };
  port.answers[37] = [](CallbackBlock& b) {
    b.set_param(1, 10);
    b.set_param(2, 5);
  };
  Run("setitempos [] \"x 0 [0 0]");
  EXPECT_EQ(ReadLE32(seen, 0), 90u);
  EXPECT_EQ(ReadLE32(seen, 4), 45u);
  EXPECT_EQ(ReadLE32(seen, 8), 110u);
  EXPECT_EQ(ReadLE32(seen, 12), 55u);
  EXPECT_EQ(Run("setitempos [] \"x 0 [1]"),
            "Logo Error: SETITEMPOS doesn't like [1] as input\n\nAt: SETITEMPOS [] \"x 0 [1]\n");
}

// With a scrunch, turtle x goes to the card scrunched about the centre (where the turtle
// draws it) and comes back unscrunched, so positions round-trip.
TEST_F(Bridge, ScrunchAppliesToPointsAndRectangles) {
  std::vector<uint8_t> seen;
  port.answers[32] = [&](CallbackBlock& b) { seen = port.ReadBlock(b.param(5), 16); };
  std::vector<uint8_t> rect(16);
  for (auto [i, v] : {std::pair{0, 80}, {1, 40}, {2, 120}, {3, 60}})
    WriteLE32(rect, size_t(i) * 4, uint32_t(v));
  const uint32_t token = port.NewBlock(rect);
  port.answers[31] = [&](CallbackBlock& b) { b.set_param(1, token); };
  port.answers[37] = [](CallbackBlock& b) {
    b.set_param(1, 140);
    b.set_param(2, 50);
  };
  Run("setscrunch 2");
  EXPECT_EQ(Run("show getitempos [] \"x 0"), "[20 0]\n");
  EXPECT_EQ(Run("show getitemrect [] \"x 0"), "[-10 10 10 -10]\n");
  Run("setitemrect [] \"x 0 [-10 10 10 -10]");
  ASSERT_EQ(seen.size(), 16u);
  EXPECT_EQ(ReadLE32(seen, 0), 80u);
  EXPECT_EQ(ReadLE32(seen, 8), 120u);
  Run("setitempos [] \"x 0 [20 0]");  // already there: the rectangle stays
  EXPECT_EQ(ReadLE32(seen, 0), 80u);
  EXPECT_EQ(ReadLE32(seen, 4), 40u);
  EXPECT_EQ(Run("cbsetparampoint 1 [15 10]\nshow cbgetparampoint 1"), "[15 10]\n");
  EXPECT_EQ(Run("cbsetparamrect 2 [-7 1 7 -1]\nshow cbgetparamrect 2"), "[-7 1 7 -1]\n");
  Run("setscrunch 1.5");
  EXPECT_EQ(Run("cbsetparampoint 1 [-33 0]\nshow cbgetparampoint 1"), "[-33 0]\n");
}

TEST_F(Bridge, FieldTextComesAndGoesInHandles) {
  port.answers[58] = [this](CallbackBlock& b) {
    b.set_param(1, port.Text("Hello world"));
    b.set_param(2, port.Text("styles"));
    b.set_param(3, 6);
    b.set_param(4, 11);
  };
  const size_t before = port.live_blocks();
  EXPECT_EQ(Run("show getfieldtext [] \"Notes"), "Hello world\n");
  EXPECT_EQ(Run("show getselectedtext [] \"Notes"), "world\n");
  EXPECT_EQ(Commands().back().params[1], 1u);  // the kind is TEXT
  std::string stored;
  port.answers[59] = [&](CallbackBlock& b) {
    stored = FakePort::StringOf(port.ReadBlock(b.param(2), 100));
    EXPECT_EQ(b.param(5), 0u);
  };
  Run("setfieldtext [] \"Notes [new text]");
  EXPECT_EQ(stored, "new text");
  // Every handle the engine answered with was disposed; only the bridge's strings stay.
  EXPECT_LE(port.live_blocks(), before + 3);
}

TEST_F(Bridge, AlertTextAndAnswer) {
  port.answers[68] = [](CallbackBlock& b) { b.set_param(1, 2); };
  EXPECT_EQ(Run("show doalert 1 \"note \"a\\\\b [Yes No]"), "1\n");
  EXPECT_EQ(Commands().back().strings[0], "12a\\\\b\\No\\Yes");
  EXPECT_EQ(Run("show doalert 12 \"note \"m \"OK"),
            "Logo Error: DOALERT doesn't like 12 as input\n\nAt: SHOW DOALERT 12 \"note \"m "
            "\"OK\n");
}

TEST_F(Bridge, DonepReadsMovieSoundAnimation) {
  uint32_t movie = 0, sound = 1, animation = 0;
  port.answers[89] = [&](CallbackBlock& b) {
    b.set_param(1, movie);
    b.set_param(2, sound);
    b.set_param(3, animation);
    b.set_param(4, 1);  // video never counts
  };
  EXPECT_EQ(Run("show donep \"sound"), "FALSE\n");
  EXPECT_EQ(Run("show donep \"movie"), "TRUE\n");
  EXPECT_EQ(Run("show donep \"video"), "TRUE\n");
  EXPECT_EQ(Run("show donep [movie animation]"), "TRUE\n");
  EXPECT_EQ(Run("show donep \"everything"), "FALSE\n");
  sound = 0, animation = 1;
  EXPECT_EQ(Run("show donep 4"), "FALSE\n");
  auto c = Commands();
  EXPECT_EQ(c[c.size() - 2].command, 42);
  EXPECT_EQ(c.back().command, 89);
}

TEST_F(Bridge, RawSlots) {
  EXPECT_EQ(Run("cbsetparamint 3 -5\nshow cbgetparamint 3"), "-5\n");
  Run("cbsetparamstr 2 \"Hello\ncbsetcmd 173\ncallback");
  EXPECT_EQ(Commands().back().command, 173);
  EXPECT_EQ(Commands().back().strings[1], "Hello");
  EXPECT_EQ(Run("show cbgetparamstr 2"), "Hello\n");
  EXPECT_EQ(Run("cbsetparampoint 1 [10 10]\nshow cbgetparampoint 1"), "[10 10]\n");
  EXPECT_EQ(Run("cbsetparamrect 4 [1 2 3 4]\nshow cbgetparamrect 4"), "[1 2 3 4]\n");
  EXPECT_EQ(Run("cbsetparamstrh 5 [a b]\nshow cbgetparamstrh 5"), "a b\n");
  // A counted string of 32 characters or more reads back whole; a text in a zero-padded
  // buffer (as extension modules leave them) reads as text.
  const std::string long_text(40, 'x');
  EXPECT_EQ(Run("cbsetparamstr 1 \"" + long_text + "\nshow cbgetparamstr 1"), long_text + "\n");
  std::vector<uint8_t> padded(260);
  const std::string cat = "Cat";
  std::copy(cat.begin(), cat.end(), padded.begin());
  port.block().set_param(2, port.NewBlock(padded));
  EXPECT_EQ(Run("show cbgetparamstr 2"), "Cat\n");
  // Disposing a slot's handle leaves the other slots as they were.
  Run("cbsetparamint 1 42\ncbsetparamstrh 3 \"x\ncbdisposeparamh 3");
  EXPECT_EQ(Run("show cbgetparamint 1"), "42\n");
  EXPECT_EQ(Run("show cbgetparamstrh 3"), "\n");
  EXPECT_EQ(Run("show cbgetparamint 6"),
            "Logo Error: CBGETPARAMINT doesn't like 6 as input\n\nAt: SHOW CBGETPARAMINT 6\n");
}

TEST_F(Bridge, ErrorsAndScriptEndsUnlockTheScreen) {
  port.answers[86] = [](CallbackBlock& b) { b.set_param(1, 77); };
  h.Script("lockscreen\ndrawtooffscreen\nprint 1");
  auto c = Commands();
  ASSERT_GE(c.size(), 4u);
  EXPECT_EQ(c[c.size() - 2].command, 85);  // offscreen drawing ended...
  EXPECT_EQ(c.back().command, 171);        // ...and the screen unlocked
  EXPECT_FALSE(h.interp().bridge().screen_locked);
  port.issued_.clear();
  Run("lockscreen\nnosuchprocedure");
  EXPECT_EQ(Commands().back().command, 171);
}

TEST_F(Bridge, WithoutAPlayerNothingHappens) {
  h.interp().bridge().port = nullptr;
  EXPECT_EQ(Run("movenext\nhideitem [] \"x 0\nshow getfieldtext [] \"x\nshow donep \"sound"),
            "\nTRUE\n");
}

}  // namespace
}  // namespace corvida::logo
