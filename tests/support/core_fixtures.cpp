#include "support/core_fixtures.h"

#include <sys/stat.h>

#include <cstring>
#include <stdexcept>

#include "support/test_support.h"

namespace urlsmith::testing {

namespace {

// Whether an operation fails with `code`, telling why in `error`.
bool Fails(int code, std::string* error) {
  if (code != 0) *error = std::strerror(code);
  return code != 0;
}

std::int32_t Find(std::string_view page, std::string_view needle, std::size_t from = 0) {
  const std::size_t at = page.find(needle, from);
  if (at == std::string_view::npos)
    throw std::logic_error("not in the page: " + std::string(needle));
  return static_cast<std::int32_t>(at);
}

}  // namespace

void FaultyFs::ReadWholeFile(const std::string& path, ReadResult& into) {
  if (const int code = Fault(Op::Read, path); code != 0) {
    into = ReadResult{};
    into.Error = std::strerror(code);
    return;
  }
  PosixFileSystem::ReadWholeFile(path, into);
}

std::optional<std::vector<std::uint8_t>> FaultyFs::ReadPrefix(const std::string& path,
                                                              std::size_t count) {
  if (Fault(Op::Read, path) != 0) return std::nullopt;
  return PosixFileSystem::ReadPrefix(path, count);
}

std::optional<std::string> FaultyFs::WriteTempFile(const std::string& nearPath,
                                                   const std::vector<std::uint8_t>& bytes,
                                                   const FileInfo& like, std::string* error) {
  if (Fails(Fault(Op::Write, nearPath), error)) return std::nullopt;
  return PosixFileSystem::WriteTempFile(nearPath, bytes, like, error);
}

bool FaultyFs::HardLink(const std::string& from, const std::string& to, std::string* error) {
  return !Fails(Fault(Op::Link, from, to), error) && PosixFileSystem::HardLink(from, to, error);
}

bool FaultyFs::Rename(const std::string& from, const std::string& to, std::string* error) {
  return !Fails(Fault(Op::Rename, from, to), error) && PosixFileSystem::Rename(from, to, error);
}

LinkEntry RowIn(std::string_view page, const RowText& text, int fileIndex) {
  LinkEntry row;
  row.FileIndex = fileIndex;
  row.Replacement = text.replacement;
  row.Url = text.url;
  if (text.tag[0] == '+') {
    row.TagPos = row.ValuePos = Find(page, text.tag.substr(1));
    return row;
  }
  const bool free = text.tag == "style" || text.tag == "script";
  row.TagPos = !free ? Find(page, text.tag) : text.tag == "style" ? kTagPosStyle : kTagPosScript;
  row.ValuePos = Find(page, text.value, free ? 0 : static_cast<std::size_t>(row.TagPos));
  const std::string_view v = text.value;
  row.SpanLength = static_cast<std::int32_t>(v.size());
  row.QuoteLength = v.size() >= 2 && v[0] == '\\' && (v[1] == '"' || v[1] == '\'') ? 2
                    : !v.empty() && (v[0] == '"' || v[0] == '\'' || v[0] == '(')   ? 1
                                                                                   : 0;
  if (row.Url.empty() && v.size() >= 2u * static_cast<std::size_t>(row.QuoteLength)) {
    row.Url = v.substr(row.QuoteLength, v.size() - 2u * row.QuoteLength);
  }
  return row;
}

Review::Review(std::vector<LinkEntry> rows, ResultOptions options, PathStyle style,
               const Files& files)
    : session(style), step(session, list) {
  for (const auto& [path, referenced] : files) {
    session.FileList.Append(path);
    if (referenced) session.FileList.SetReferenced(session.FileList.size() - 1);
  }
  Fill(std::move(rows), options);
}

void Review::Fill(std::vector<LinkEntry> rows, ResultOptions options) {
  session.LinkTable = std::move(rows);
  step.Options = options;
  FillResultList(step);
}

void Review::Select(std::int32_t group) {
  for (int k = 0; k < list.Count(); ++k) {
    if (list.ItemData(k) == group) list.SetSelection(k);
  }
  SelectionChanged(step);
}

std::vector<std::string> Review::Replacements() const {
  std::vector<std::string> values;
  for (const LinkEntry& row : session.LinkTable)
    values.push_back(row.Replacement);
  return values;
}

BothForms::BothForms(std::string_view text) : ansi(text), wide(Utf16Bytes(text, false, false)) {}

TextView BothForms::View(int width) const {
  return width == 1 ? AnsiView(ansi) : Utf16View(wide);
}

std::vector<std::uint8_t> Utf16Units(std::string_view utf8,
                                     std::initializer_list<std::uint32_t> units) {
  std::vector<std::uint8_t> out = Utf16Bytes(utf8, false, false);
  for (const std::uint32_t u : units) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return out;
}

std::string ProcessingLine(const std::string& path, std::size_t size, std::string_view end) {
  return "Processing \"" + path + "\" (" + std::to_string(size) + " bytes) ... " + std::string(end);
}

unsigned ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
}

std::string Utf16Text(std::string_view utf8, bool bigEndian) {
  return AsText(Utf16Bytes(utf8, bigEndian));
}

}  // namespace urlsmith::testing
