// The entry points driven as a browser drives them: the table checks, instances with
// players of their own, stacks arriving as streams, cache hits before the window, printing.
#include <gtest/gtest.h>

#include <cstring>

#include "browser_host.h"
#include "player/player_fixture.h"
#include "plugin/instance.h"

namespace corvida::testing {
namespace {

class EntryPointsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Start());
    host.pages["http://Example.com/s/five.stk"] = {ReadBytes(BuildStack(host.tp.root, kFiveCards)),
                                                   7, ""};
  }
  void TearDown() override {
    for (NPP_t& instance : instances) host.plugin_funcs.destroy(&instance, nullptr);
    NP_Shutdown();
  }
  static std::string ReadBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadFileUpTo(path, 1 << 20, bytes));
    return std::string(bytes.begin(), bytes.end());
  }
  NPP New(uint16_t mode = NP_EMBED) {
    instances.push_back({});
    NPP instance = &instances.back();
    EXPECT_EQ(host.plugin_funcs.newp(nullptr, instance, mode, 0, nullptr, nullptr, nullptr),
              NPERR_NO_ERROR);
    return instance;
  }
  WindowId SetWindow(NPP instance) {
    const WindowId id = host.tp.platform->windows().CreateWindow("page", {64, 48});
    NPWindow window{BrowserHost::WindowHandle(id), 0, 0, 64, 48, {}};
    EXPECT_EQ(host.plugin_funcs.setwindow(instance, &window), NPERR_NO_ERROR);
    return id;
  }
  // "first.stk" and "second.stk" served under http://h/s/, an instance with a window, and
  // the first stack sent to it.
  WindowId ServeTwoStacks(const char* first, const char* second, NPP& instance) {
    for (auto [name, json] : {std::pair{"first.stk", first}, std::pair{"second.stk", second}})
      host.pages[std::string("http://h/s/") + name] = {
          ReadBytes(BuildStack(host.tp.root, json, name)), 1, ""};
    instance = New();
    const WindowId id = SetWindow(instance);
    host.SendStream(instance, "http://h/s/first.stk");
    return id;
  }
  // A click at (x, y) of the page's window, each message handled as it comes.
  void Click(PlayerWindow& window, WindowId id, int x, int y) {
    for (uint32_t message : {msg::kLButtonDown, msg::kLButtonUp}) {
      host.tp.platform->windows().PostMessage(
          {id, message, message == msg::kLButtonDown ? mk::kLButton : 0, MakePointParam(x, y), 0});
      window.Pump(10);
    }
  }
  static plugin::InstancePlayer* PlayerOf(NPP instance) {
    struct Record {
      void* window;
      uint16_t mode;
      plugin::InstancePlayer* player;
    };
    return static_cast<Record*>(instance->pdata)->player;
  }
  bool Shows(const std::string& line) {
    return std::find(host.lines.begin(), host.lines.end(), line) != host.lines.end();
  }

  BrowserHost host;
  std::deque<NPP_t> instances;
};

TEST(EntryTablesTest, ThePluginTableIsFilledOnlyWhenItIsLargeEnough) {
  NPPluginFuncs funcs;
  std::memset(&funcs, 0xAB, sizeof funcs);
  funcs.size = uint16_t(kPluginFuncsMinSize - 1);
  NPPluginFuncs before = funcs;
  EXPECT_EQ(NP_GetEntryPoints(&funcs), NPERR_INVALID_FUNCTABLE_ERROR);
  EXPECT_EQ(std::memcmp(&funcs, &before, sizeof funcs), 0) << "nothing written";
  EXPECT_EQ(NP_GetEntryPoints(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);

  funcs.size = uint16_t(kPluginFuncsMinSize);
  EXPECT_EQ(NP_GetEntryPoints(&funcs), NPERR_NO_ERROR);
  EXPECT_EQ(funcs.version, 6);
  EXPECT_EQ(funcs.newp, &NPP_New);
  EXPECT_EQ(funcs.write, &NPP_Write);
  EXPECT_EQ(funcs.print, &NPP_Print);
  EXPECT_EQ(funcs.event, nullptr);
  EXPECT_EQ(funcs.writeready(nullptr, nullptr), 0x0FFFFFFF);
}

TEST(EntryTablesTest, TheBrowserTableIsCheckedAfterItIsStored) {
  BrowserHost host;
  EXPECT_EQ(NP_Initialize(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
  host.browser.version = 0x0100;
  EXPECT_EQ(NP_Initialize(&host.browser), NPERR_INCOMPATIBLE_VERSION_ERROR);
  // Stored all the same: a new instance allocates through it.
  NPP_t instance{};
  EXPECT_EQ(NPP_New(nullptr, &instance, NP_EMBED, 0, nullptr, nullptr, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(host.allocations, 1);
  EXPECT_EQ(NPP_Destroy(&instance, nullptr), NPERR_NO_ERROR);
  EXPECT_EQ(host.allocations, 0);

  host.browser.version = 0x00FF;
  host.browser.size = uint16_t(kBrowserFuncsMinSize - 1);
  EXPECT_EQ(NP_Initialize(&host.browser), NPERR_INVALID_FUNCTABLE_ERROR);
  host.browser.size = uint16_t(kBrowserFuncsMinSize);
  EXPECT_EQ(NP_Initialize(&host.browser), NPERR_NO_ERROR);
  NP_Shutdown();
}

TEST_F(EntryPointsTest, NullArgumentsGetTheirCodes) {
  NPStream stream{nullptr, nullptr, "http://h/a.stk", 0, 0, nullptr};
  EXPECT_EQ(NPP_New(nullptr, nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr),
            NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(NPP_Destroy(nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(NPP_SetWindow(nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(NPP_NewStream(nullptr, nullptr, &stream, 0, nullptr), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(NPP_DestroyStream(nullptr, &stream, 0), NPERR_INVALID_INSTANCE_ERROR);
  EXPECT_EQ(NPP_Write(nullptr, &stream, 0, 0, nullptr), -1);
  NPP_t bare{};
  NPWindow window{};
  EXPECT_EQ(NPP_SetWindow(&bare, &window), NPERR_GENERIC_ERROR) << "no instance data";
  NPP instance = New();
  EXPECT_EQ(NPP_SetWindow(instance, nullptr), NPERR_GENERIC_ERROR);
  EXPECT_EQ(NPP_SetWindow(instance, &window), NPERR_NO_ERROR) << "no window handle yet";
  EXPECT_EQ(PlayerOf(instance)->player(), nullptr);
  // An instance without data is destroyed without touching any player.
  EXPECT_EQ(NPP_Destroy(&bare, nullptr), NPERR_NO_ERROR);
}

TEST_F(EntryPointsTest, OutOfMemoryForTheInstanceRecord) {
  host.fail_alloc = true;
  NPP_t instance{};
  EXPECT_EQ(NPP_New(nullptr, &instance, NP_EMBED, 0, nullptr, nullptr, nullptr),
            NPERR_OUT_OF_MEMORY_ERROR);
  EXPECT_EQ(instance.pdata, nullptr);
}

TEST_F(EntryPointsTest, AStackStreamOpensAtItsFirstCardInTheFirstWindow) {
  NPP instance = New();
  const WindowId first = SetWindow(instance);
  EXPECT_EQ(host.tp.platform->windows().Focus(), first) << "the player takes the keyboard";
  host.SendStream(instance, "http://Example.com/s/five.stk", 100);
  plugin::InstancePlayer* player = PlayerOf(instance);
  ASSERT_NE(player->player(), nullptr);
  EXPECT_TRUE(player->player()->stack.is_open());
  EXPECT_TRUE(Shows("card 1 id 10 \"One\"")) << ::testing::PrintToString(host.lines);
  EXPECT_EQ(player->window()->window(), first);
  // A second window (a resize) leaves the player where it is.
  SetWindow(instance);
  EXPECT_EQ(player->window()->window(), first);
  EXPECT_EQ(player->streams().base_url(), "http://Example.com/s/five.stk");
}

TEST_F(EntryPointsTest, ACacheHitBeforeTheWindowOpensTheStackWhenTheWindowComes) {
  NPP first = New();
  SetWindow(first);
  host.SendStream(first, "http://Example.com/s/five.stk");
  host.plugin_funcs.destroy(first, nullptr);
  host.lines.clear();

  // A later page: the stack arrives before the window and is served from the cache.
  NPP second = New();
  host.pages["HTTP://example.COM/s/five.stk"] = host.pages["http://Example.com/s/five.stk"];
  EXPECT_EQ(host.SendStream(second, "HTTP://example.COM/s/five.stk"), -1);
  EXPECT_TRUE(PlayerOf(second)->streams().stack_waiting());
  SetWindow(second);
  EXPECT_TRUE(Shows("card 1 id 10 \"One\"")) << ::testing::PrintToString(host.lines);
  EXPECT_FALSE(PlayerOf(second)->streams().stack_waiting());
}

TEST_F(EntryPointsTest, InstancesOnOnePageEachRunAPlayer) {
  NPP a = New();
  NPP b = New();
  SetWindow(a);
  SetWindow(b);
  host.SendStream(a, "http://Example.com/s/five.stk");
  host.SendStream(b, "http://Example.com/s/five.stk");
  EXPECT_NE(PlayerOf(a)->player(), PlayerOf(b)->player());
  EXPECT_TRUE(PlayerOf(a)->player()->stack.is_open());
  EXPECT_TRUE(PlayerOf(b)->player()->stack.is_open());
  host.plugin_funcs.destroy(a, nullptr);
  EXPECT_TRUE(PlayerOf(b)->player()->stack.is_open()) << "only the destroyed one stops";
}

TEST_F(EntryPointsTest, TheIndexIsWrittenAtShutdownAndReadByTheNextLoad) {
  NPP instance = New();
  SetWindow(instance);
  host.SendStream(instance, "http://Example.com/s/five.stk");
  host.plugin_funcs.destroy(instance, nullptr);
  instances.clear();
  NP_Shutdown();
  const std::string index = host.CacheFolder() + "/CORVIA.LOG";
  ASSERT_TRUE(FileExists(index));
  plugin::DownloadCache cache(host.CacheFolder());
  cache.LoadIndex();
  ASSERT_EQ(cache.count(), 1);
  EXPECT_EQ(cache.Url(0), "http://Example.com/s/five.stk");
  EXPECT_TRUE(cache.Complete(0));
  ASSERT_TRUE(host.Start());
}

// A button that goes to another stack: the stack is asked for beside the first one's URL
// and opens at its first card when its stream ends.
TEST_F(EntryPointsTest, AButtonsOtherStackIsFetchedAndOpened) {
  const char* first = R"({
    "stack": {"width": 64, "height": 48, "depth": 8},
    "cards": [{"id": 10, "name": "One", "objects": [
      {"type": "button", "id": 1, "rect": [4, 4, 30, 20], "name": "Next", "destination": -6,
       "actions": [{"kind": "stack", "path": "second.stk"}]}]}]
  })";
  const char* second = R"({
    "stack": {"width": 64, "height": 48, "depth": 8},
    "cards": [{"id": 20, "name": "Far"}, {"id": 21, "name": "Farther"}]
  })";
  NPP instance = nullptr;
  const WindowId id = ServeTwoStacks(first, second, instance);
  PlayerWindow& window = *PlayerOf(instance)->window();
  Click(window, id, 10, 10);
  EXPECT_EQ(host.asked, (std::vector<std::string>{"http://h/s/second.stk"}));
  EXPECT_TRUE(Shows("asked for \"second.stk\"")) << ::testing::PrintToString(host.lines);
  host.AnswerRequests();
  window.Pump(10);
  EXPECT_TRUE(Shows("card 1 id 20 \"Far\"")) << ::testing::PrintToString(host.lines);
  EXPECT_EQ(PlayerOf(instance)->streams().base_url(), "http://h/s/second.stk");
  // Eviction leaves both the open stack and the one Back returns to.
  int stacks = 0;
  for (const DirectoryEntry& entry : ListDirectory(host.CacheFolder())) {
    if (!entry.name.ends_with(".stk")) continue;
    ++stacks;
    EXPECT_TRUE(PlayerOf(instance)->IsPinned(JoinPath(host.CacheFolder(), entry.name)));
  }
  EXPECT_EQ(stacks, 2);
}

// The stack Back returns to lost its cache file: it is asked for again by its URL and
// opens at the card Back wanted when it arrives; meanwhile the shown stack stays.
TEST_F(EntryPointsTest, AStackWhoseFileWentIsAskedForAgainByItsUrl) {
  const char* first = R"({
    "stack": {"width": 64, "height": 48, "depth": 8},
    "cards": [{"id": 10, "name": "One", "objects": [
                {"type": "button", "id": 1, "rect": [4, 4, 30, 20], "name": "On",
                 "destination": 11}]},
              {"id": 11, "name": "Two", "objects": [
                {"type": "button", "id": 1, "rect": [4, 4, 30, 20], "name": "Next",
                 "destination": -6, "actions": [{"kind": "stack", "path": "second.stk"}]}]}]
  })";
  const char* second = R"({"stack": {"width": 64, "height": 48, "depth": 8},
                           "cards": [{"id": 20, "name": "Far"}]})";
  NPP instance = nullptr;
  const WindowId id = ServeTwoStacks(first, second, instance);
  const std::string first_file = PlayerOf(instance)->player()->stack.path();
  PlayerWindow& window = *PlayerOf(instance)->window();
  Click(window, id, 10, 10);  // to card 2
  Click(window, id, 10, 10);  // to the second stack
  host.AnswerRequests();
  window.Pump(10);
  ASSERT_TRUE(Shows("card 1 id 20 \"Far\""));
  ASSERT_TRUE(DeleteFile(first_file));
  host.asked.clear();
  host.lines.clear();
  window.DoCommand(MenuCommand::kBack);
  window.Pump(10);
  EXPECT_EQ(host.asked, (std::vector<std::string>{"http://h/s/first.stk"}));
  EXPECT_TRUE(Shows("asked again for \"http://h/s/first.stk\""));
  EXPECT_EQ(host.tp.platform->responder().shown().size(), 0u) << "no alert while it is on its way";
  host.AnswerRequests();
  window.Pump(10);
  EXPECT_TRUE(Shows("card 2 id 11 \"Two\"")) << ::testing::PrintToString(host.lines);
}

TEST_F(EntryPointsTest, PrintingAFullPageIsLeftToTheBrowser) {
  NPP instance = New(NP_FULL);
  NPPrint print{};
  print.mode = NP_FULL;
  print.print.fullPrint.pluginPrinted = true;
  host.plugin_funcs.print(instance, &print);
  EXPECT_FALSE(print.print.fullPrint.pluginPrinted);
  host.plugin_funcs.print(instance, nullptr);
  host.plugin_funcs.print(nullptr, &print);
}

}  // namespace
}  // namespace corvida::testing
