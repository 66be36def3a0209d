// What the card, stack and process benchmarks share: stacks written in the benchmark
// (cards with pictures and objects), the process's peak memory over a stretch of work,
// and timing the corvida program as a whole process.
#pragma once

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "stackfile/actions.h"
#include "stackfile/cardpicture.h"
#include "stackfile/records_build.h"
#include "stackfile/stack.h"

extern char** environ;

namespace corvida::bench {

// A drawn card picture: shaded panels in an arrangement and shades of its own for every
// seed, with a sprinkle of grain (drawn cards pack to a sixth of their size or so).
inline gfx::Bitmap DrawnPicture(int width, int height, uint32_t seed) {
  gfx::Bitmap picture;
  picture.Create(width, height, 8);
  const int shift = int(seed % 4), shade = int(seed % 7);
  uint32_t grain = seed * 2654435761u + 1;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = picture.Row(y);
    for (int x = 0; x < width; ++x) {
      grain = grain * 1103515245 + 12345;
      int panel = ((x / 80) + (y / 60) * 3 + shift) & 3;
      row[x] = uint8_t(panel * 48 + shade + (x + y) / 16 + ((grain >> 16) % 23 == 0 ? 1 : 0));
    }
  }
  return picture;
}

inline gfx::Palette RampPalette() {
  gfx::Palette palette;
  palette.count = 256;
  for (int i = 0; i < 256; ++i)
    palette.Set(i, {uint8_t(i), uint8_t((i * 7) & 255), uint8_t(255 - i)});
  return palette;
}

struct StackShape {
  int cards = 10;
  int width = 640, height = 480;
  bool pictures = true;     // every card its own background with a picture of its own
  bool next_button = true;  // a button going to the next card (last: the first)
  int transition = 0;       // of the next button: 0 shows the card at once
};

// A button record going to `destination` (a card id, or -1 the next card).
inline RecordBytes GoButton(uint16_t id, Rect rect, int16_t destination, int transition) {
  RecordBytes b = NewObject(object::kButton, id, rect, 0, kButtonRecordSize);
  PutCountedName(b.data() + button::kName, button::kNameField, "Next");
  Put16(b.data() + button::kStyle, 2);
  Put16(b.data() + button::kDisplayFlags, 0x08);
  Put16(b.data() + button::kButtonColor, 200);
  Put16(b.data() + button::kDestination, uint16_t(destination));
  Put16(b.data() + button::kActionFlags, action::kGo);
  Put16(b.data() + button::kTransition, uint16_t(transition));
  Put16(b.data() + button::kSpeed, 8);
  return b;
}

// Writes the stack to `path`; false when it cannot be saved.
inline bool WriteStack(const std::string& path, const StackShape& shape) {
  Handles handles;
  Stack stack(handles);
  if (stack.CreateNew(int16_t(shape.width), int16_t(shape.height), 8) != 0) return false;
  const gfx::Palette palette = RampPalette();
  const RecordBytes shared_picture =
      EncodeCardPicture(DrawnPicture(shape.width, shape.height, 7), palette);
  for (int i = 0; i < shape.cards; ++i) {
    const uint16_t id = uint16_t(100 + i);
    RecordBytes c =
        shape.pictures
            ? NewCardRecord(
                  id, card::kKindBackground, 0,
                  EncodeCardPicture(DrawnPicture(shape.width, shape.height, uint32_t(i)), palette))
            : NewCardRecord(id, card::kKindShared, 1);
    if (shape.next_button) {
      int16_t next = i + 1 < shape.cards ? int16_t(-1) : int16_t(100);
      AppendObject(c, GoButton(1, {20, 20, 120, 60}, next, shape.transition));
    }
    if (!stack.AddCard(HandleFromBytes(handles, c), stack.CardCount())) return false;
  }
  // The shared background comes last, so that the stack opens on the first card.
  if (!shape.pictures) {
    RecordBytes bg = NewCardRecord(1, card::kKindBackground, 0, shared_picture);
    if (!stack.AddCard(HandleFromBytes(handles, bg), stack.CardCount())) return false;
  }
  return stack.Save(path).saved();
}

inline int64_t FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return in ? int64_t(in.tellg()) : -1;
}

// The resident-memory high-water mark of this process, reset to the current resident set
// when made (Linux: /proc/self/clear_refs); Extra() is what the peak rose above that.
class PeakMemory {
 public:
  PeakMemory() {
    malloc_trim(0);  // memory freed before, still resident, would be counted as not new
    std::ofstream("/proc/self/clear_refs") << "5";
    start_ = Read("VmRSS:");
  }
  int64_t Extra() const { return Read("VmHWM:") - start_; }

 private:
  static int64_t Read(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
      if (word == key) {
        int64_t kib = 0;
        status >> kib;
        return kib * 1024;
      }
    }
    return 0;
  }
  int64_t start_ = 0;
};

struct ProcessRun {
  int status = -1;
  double wall_seconds = 0;
  double cpu_seconds = 0;  // user and system time of the process
};

// Runs a program to its end with its output sent to /dev/null.
inline ProcessRun RunProcess(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
  ProcessRun run;
  auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status))
      run.status = WEXITSTATUS(status);
    run.cpu_seconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  }
  run.wall_seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&files);
  return run;
}

// A folder under /tmp for the benchmark's files, removed when it goes.
class ScratchFolder {
 public:
  ScratchFolder() {
    char name[] = "/tmp/corvida-bench-XXXXXX";
    if (mkdtemp(name)) path_ = name;
  }
  ~ScratchFolder() {
    if (!path_.empty()) RunProcess({"/bin/rm", "-rf", path_});
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace corvida::bench
