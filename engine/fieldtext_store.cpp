// Field text and styles in records: reading every form the sub-blocks take, writing the
// documented form back.
#include "engine/fieldtext_store.h"

#include <algorithm>

#include "stackfile/mactext.h"
#include "stackfile/records.h"

namespace corvida {

namespace {

constexpr size_t kFontEntrySize = 92;
constexpr size_t kFontNameField = 64;
constexpr size_t kFontNumber = 64;

bool LooksLikeText(const uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (p[i] < 0x20 && p[i] != '\r' && p[i] != '\n' && p[i] != '\t') return false;
  }
  return true;
}

const FontEntry& FontByNumber(const std::vector<FontEntry>& fonts, uint16_t number) {
  for (const FontEntry& f : fonts) {
    if (f.number == number) return f;
  }
  return fonts.front();
}

// Runs as stored; empty when the block cannot be read as a whole.
std::vector<StyleRun> ReadRuns(const uint8_t* p, size_t data_length, uint32_t count,
                               size_t text_size, const std::vector<FontEntry>& fonts) {
  std::vector<StyleRun> runs;
  if (count == 0 || count > data_length / fieldtext::kRunSize) return runs;
  runs.reserve(count);
  for (uint32_t i = 0; i < count; ++i, p += fieldtext::kRunSize) {
    StyleRun r;
    r.start = GetBE32(p);
    if ((runs.empty() && r.start != 0) || (!runs.empty() && r.start <= runs.back().start))
      return {};  // out of order: the styles cannot be trusted
    if (r.start >= text_size && !runs.empty()) break;
    const FontEntry& font = FontByNumber(fonts, GetBE16(p + 4));
    r.style.font = font.name;
    r.style.font_number = font.number;
    const int size = GetBE16(p + 6);
    r.style.size = size >= 1 && size <= kMaxFontSize ? size : kDefaultFontSize;
    r.style.style = static_cast<uint8_t>(GetBE16(p + 8) & 0x7F);
    r.style.own_colour = p[12] == 1;
    if (r.style.own_colour) r.style.colour = {p[13], p[14], p[15]};
    runs.push_back(r);
  }
  return runs;
}

void PutBlockHeader(std::vector<uint8_t>& out, uint16_t kind, uint32_t count, size_t data) {
  const size_t at = out.size();
  // Blocks keep 4-byte multiples and never end as a bare header, which a record's
  // conversion would leave unconverted at its end.
  const size_t padded = std::max<size_t>(4, (data + 3) & ~size_t{3});
  out.resize(at + fieldtext::kHeaderSize + padded, 0);
  Put16(out.data() + at, kind);
  Put32(out.data() + at + fieldtext::kCount, count);
  Put32(out.data() + at + fieldtext::kDataLength, static_cast<uint32_t>(data));
  Put32(out.data() + at + fieldtext::kBlockLength,
        static_cast<uint32_t>(fieldtext::kHeaderSize + padded));
}

std::vector<uint8_t> TextBlock(const TextObject& text) {
  std::vector<uint8_t> out;
  const std::string mac = WindowsToMac(text.text());
  PutBlockHeader(out, fieldtext::kKindText, 0, mac.size());
  std::copy(mac.begin(), mac.end(), out.begin() + fieldtext::kHeaderSize);
  return out;
}

std::vector<uint8_t> StyleBlock(const TextObject& text) {
  std::vector<uint8_t> out;
  const auto& runs = text.runs();
  PutBlockHeader(out, fieldtext::kKindStyles, static_cast<uint32_t>(runs.size()),
                 runs.size() * fieldtext::kRunSize);
  uint8_t* p = out.data() + fieldtext::kHeaderSize;
  for (const StyleRun& r : runs) {
    PutBE32(p, r.start);
    PutBE16(p + 4, r.style.font_number);
    PutBE16(p + 6, static_cast<uint16_t>(r.style.size));
    PutBE16(p + 8, r.style.style);
    p[12] = r.style.own_colour ? 1 : 0;
    p[13] = r.style.colour.r;
    p[14] = r.style.colour.g;
    p[15] = r.style.colour.b;
    p += fieldtext::kRunSize;
  }
  return out;
}

}  // namespace

std::vector<FontEntry> ReadFontList(const uint8_t* data, size_t size) {
  std::vector<FontEntry> fonts;
  for (size_t at = 0; data && at + kFontEntrySize <= size; at += kFontEntrySize) {
    Bytes entry{const_cast<uint8_t*>(data + at), kFontEntrySize};
    fonts.push_back(
        {MacToWindows(CountedText(entry, 0, kFontNameField)), GetBE16(data + at + kFontNumber)});
  }
  if (fonts.empty()) fonts.push_back({});
  return fonts;
}

TextStyle PlainStyle(const std::vector<FontEntry>& fonts) {
  TextStyle s;
  if (!fonts.empty()) {
    s.font = fonts.front().name;
    s.font_number = fonts.front().number;
  }
  return s;
}

std::vector<SubBlock> WalkSubBlocks(Bytes record, size_t* tail) {
  std::vector<SubBlock> blocks;
  size_t at = field::kSubBlocks;
  // The same walk as the record's conversion: only headers with data after them count.
  while (record.size > at && record.size - at > fieldtext::kHeaderSize) {
    const uint8_t* p = record.data + at;
    const uint32_t length = Get32(p + fieldtext::kBlockLength);
    if (length < fieldtext::kHeaderSize || length > record.size - at) break;
    SubBlock b;
    b.offset = at;
    b.kind = Get16(p + fieldtext::kKind);
    b.count = Get32(p + fieldtext::kCount);
    b.length = length;
    b.data_length =
        std::min<size_t>(Get32(p + fieldtext::kDataLength), length - fieldtext::kHeaderSize);
    blocks.push_back(b);
    at += length;
  }
  if (tail) *tail = std::min(std::max(at, field::kSubBlocks), record.size);
  return blocks;
}

FieldContent ReadFieldContent(Bytes record, const std::vector<FontEntry>& fonts) {
  FieldContent content;
  const std::vector<SubBlock> blocks = WalkSubBlocks(record);
  const bool external = Field16(record, object::kFlags) & object::kFlagExternalFile;
  const SubBlock* text = nullptr;
  const SubBlock* styles = nullptr;
  for (size_t i = external ? 1 : 0; i < blocks.size(); ++i) {
    if (!text && blocks[i].kind == fieldtext::kKindText) text = &blocks[i];
    if (!styles && blocks[i].kind == fieldtext::kKindStyles) styles = &blocks[i];
  }
  if (!text && !external) {
    // Records written by other tools: the first block whose data is all text.
    for (const SubBlock& b : blocks) {
      if (b.kind != fieldtext::kKindStyles && b.data_length > 0 &&
          LooksLikeText(record.data + b.offset + fieldtext::kHeaderSize, b.data_length)) {
        text = &b;
        break;
      }
    }
  }
  if (text) {
    const char* p =
        reinterpret_cast<const char*>(record.data + text->offset + fieldtext::kHeaderSize);
    content.text = MacToWindows(std::string_view(p, std::min(text->data_length, kMaxTextSize)));
  }
  if (styles) {
    content.runs = ReadRuns(record.data + styles->offset + fieldtext::kHeaderSize,
                            styles->data_length, styles->count, content.text.size(), fonts);
    content.styled = !content.runs.empty();
  }
  if (!content.styled) content.runs = {{0, PlainStyle(fonts)}};
  return content;
}

std::vector<uint8_t> WriteFieldContent(Bytes record, const TextObject& text) {
  size_t tail = 0;
  const std::vector<SubBlock> blocks = WalkSubBlocks(record, &tail);
  const bool external = Field16(record, object::kFlags) & object::kFlagExternalFile;
  std::vector<uint8_t> out(record.data, record.data + std::min(record.size, field::kSubBlocks));
  out.resize(field::kSubBlocks, 0);
  bool wrote_text = false, wrote_styles = false;
  auto append = [&out](const std::vector<uint8_t>& b) {
    out.insert(out.end(), b.begin(), b.end());
  };
  for (size_t i = 0; i < blocks.size(); ++i) {
    const SubBlock& b = blocks[i];
    const bool path_block = external && i == 0;
    if (!path_block && !wrote_text && b.kind == fieldtext::kKindText) {
      append(TextBlock(text));
      wrote_text = true;
    } else if (!path_block && !wrote_styles && b.kind == fieldtext::kKindStyles) {
      append(StyleBlock(text));
      wrote_styles = true;
    } else {
      out.insert(out.end(), record.data + b.offset, record.data + b.offset + b.length);
    }
  }
  if (!wrote_text) append(TextBlock(text));
  if (!wrote_styles) append(StyleBlock(text));
  out.insert(out.end(), record.data + tail, record.data + record.size);
  Put32(out.data() + object::kLength, static_cast<uint32_t>(out.size()));
  return out;
}

std::vector<uint8_t> FieldTextBlocks(std::string windows_text, std::vector<StyleRun> runs) {
  TextObject text(nullptr, {});
  text.SetText(std::move(windows_text), std::move(runs));
  std::vector<uint8_t> out = TextBlock(text);
  const std::vector<uint8_t> styles = StyleBlock(text);
  out.insert(out.end(), styles.begin(), styles.end());
  return out;
}

std::vector<uint8_t> FontListBytes(const std::vector<FontEntry>& fonts) {
  std::vector<uint8_t> out(fonts.size() * kFontEntrySize, 0);
  for (size_t i = 0; i < fonts.size(); ++i) {
    uint8_t* p = out.data() + i * kFontEntrySize;
    const std::string name = WindowsToMac(fonts[i].name.substr(0, kFontNameField - 1));
    p[0] = static_cast<uint8_t>(name.size());
    std::copy(name.begin(), name.end(), p + 1);
    PutBE16(p + kFontNumber, fonts[i].number);
    PutBE16(p + 90, 400);  // weight
  }
  return out;
}

}  // namespace corvida
