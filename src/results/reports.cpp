#include "results/reports.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "results/plan_json.h"
#include "text/file_system.h"
#include "text/primitives.h"
#include "text/replacement.h"

namespace urlsmith {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The rules of the reports, by the kind of item.
struct Rule {
  std::string_view Id;
  std::string_view Level;  // SARIF level
  std::string_view Description;
};
constexpr std::array kRules = {
    Rule{"broken-link", "error", "A link whose file or address is missing, with no replacement"},
    Rule{"replace-link", "warning",
         "A link to be replaced (a broken link's replacement, an "
         "escaped or completed address, a new form)"},
    Rule{"set-target", "note", "A link whose target is to be set"},
    Rule{"broken-anchor", "warning", "A link whose fragment names no element of its page"},
};

std::size_t RuleIndex(std::string_view id) {
  for (std::size_t i = 0; i < kRules.size(); ++i) {
    if (kRules[i].Id == id) return i;
  }
  return 0;
}

std::string Quoted(std::string_view s) {
  std::string out = "\"";
  out.append(s);
  out += '"';
  return out;
}

// The item of a row, or false for a row that changes nothing.
bool ItemOfRow(const LinkEntry& row, bool shown, ReportItem& item) {
  const LineRule rule = LineRuleOf(row);
  if (rule == LineRule::CopyOld) return false;
  item.File = row.FileIndex;
  item.Offset = row.ValuePos;
  item.Kind = std::string(ActionWord(rule));
  item.Url = row.Url;
  item.Value = std::string(ReplacementText(row.Replacement).value());
  switch (rule) {
    case LineRule::Delete:
      item.RuleId = "broken-link";
      item.Message = shown ? "Broken link " + Quoted(row.Url) + ": to be deleted"
                           : "Broken link " + Quoted(row.Url) +
                                 ": no replacement found (link deletion is not allowed)";
      break;
    case LineRule::TargetAdd:
    case LineRule::TargetModify:
      item.RuleId = "set-target";
      item.Message = "Set the target of the link " + Quoted(row.Url) + " to " + Quoted(item.Value);
      break;
    case LineRule::ReplaceRelative:
    case LineRule::Replace:
    case LineRule::CopyOld:
      item.RuleId = "replace-link";
      item.Message = "Replace " + Quoted(row.Url) + " with " + Quoted(item.Value);
      break;
  }
  return true;
}

// The bytes of a text in well-formed UTF-8: other bytes become U+FFFD.
template <typename Put>
void ForEachCharacter(std::string_view s, Put put) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      put(std::string_view(&s[i], 1), c);
      ++i;
      continue;
    }
    const int length = Utf8Sequence(s, i, nullptr);
    if (length == 0) {
      put(kReplacementCharacter, 0x80);
      ++i;
      continue;
    }
    put(s.substr(i, static_cast<std::size_t>(length)), 0x80);
    i += static_cast<std::size_t>(length);
  }
}

// Text for XML attributes and content: the five markup characters as entities, characters XML
// does not allow as U+FFFD.
std::string XmlText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  ForEachCharacter(s, [&](std::string_view ch, unsigned c) {
    switch (c) {
      case '&':
        out += "&amp;";
        return;
      case '<':
        out += "&lt;";
        return;
      case '>':
        out += "&gt;";
        return;
      case '"':
        out += "&quot;";
        return;
      case '\'':
        out += "&apos;";
        return;
      default:
        break;
    }
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      out += kReplacementCharacter;
    } else {
      out.append(ch);
    }
  });
  return out;
}

// A relative URI reference of a path: unreserved characters and '/' kept, the rest escaped.
std::string UriOfPath(std::string_view path, bool windows) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : path) {
    auto c = static_cast<unsigned char>(ch);
    if (windows && c == '\\') c = '/';
    const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '.' || c == '_' || c == '~' || c == '/' ||
                      (windows && c == ':');
    if (keep) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string Location(const ReportItem& item) {
  if (item.At.Line <= 0) return {};
  return std::to_string(item.At.Line) + ":" + std::to_string(item.At.Column);
}

}  // namespace

std::vector<TextPoint> PointsOf(const TextView& text, const std::vector<Pos>& offsets) {
  std::vector<TextPoint> points(offsets.size());
  std::vector<std::size_t> order(offsets.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return offsets[a] < offsets[b]; });
  const std::uint8_t* d = text.Data;
  const bool wide = text.width() == 2;
  const Pos size = wide ? text.Size & ~Pos{1} : text.Size;
  const auto unit = [&](Pos p) -> std::uint32_t {
    return wide ? static_cast<std::uint32_t>(d[p] | (d[p + 1] << 8)) : d[p];
  };
  // A byte-order mark is no character of the first line.
  Pos p = 0;
  if (wide && size >= 2 && unit(0) == 0xFEFF) p = 2;
  if (!wide && size >= 3 && d[0] == 0xEF && d[1] == 0xBB && d[2] == 0xBF) p = 3;
  int line = 1;
  int column = 1;
  const std::string_view bytes(reinterpret_cast<const char*>(d),
                               static_cast<std::size_t>(wide ? 0 : size));
  for (const std::size_t k : order) {
    const Pos target = offsets[k];
    if (target < 0 || target > size) continue;
    while (p < target) {
      const std::uint32_t c = unit(p);
      const Pos w = wide ? 2 : 1;
      if (c == '\n' || c == '\r') {
        ++line;
        column = 1;
        p += w;
        if (c == '\r' && p < size && unit(p) == '\n') p += w;
        continue;
      }
      ++column;
      if (wide) {
        const bool pair = c >= 0xD800 && c <= 0xDBFF && p + 4 <= size && unit(p + 2) >= 0xDC00 &&
                          unit(p + 2) <= 0xDFFF;
        p += pair ? 4 : 2;
      } else {
        const int length = c < 0x80 ? 1 : Utf8Sequence(bytes, static_cast<std::size_t>(p), nullptr);
        p += length > 0 ? length : 1;
      }
    }
    points[k] = TextPoint{line, column};
  }
  return points;
}

std::string ReportName(const SearchSession& session, int file) {
  const std::string& path = session.FileList.path(file);
  const std::string& root = session.RootPath;
  if (!root.empty() && path.size() > root.size() && path.compare(0, root.size(), root) == 0) {
    return path.substr(root.size());
  }
  return path;
}

std::vector<ReportItem> CollectReportItems(const ResultStep& step) {
  SearchSession& session = step.Session;
  const std::vector<LinkEntry>& table = session.LinkTable;
  std::vector<ReportItem> items;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const LinkEntry& row = table[i];
    const bool shown = i < step.ResultGroup.size() && step.ResultGroup[i] != kNoGroup;
    // Deletions are hidden while deletion is not allowed; a report still names the broken link.
    const bool hiddenDeletion =
        !step.Options.AllowLinkDeletion && LineRuleOf(row) == LineRule::Delete;
    if (!shown && !hiddenDeletion) continue;
    if (row.FileIndex < 0 || row.FileIndex >= session.FileList.size()) continue;
    ReportItem item;
    if (ItemOfRow(row, shown, item)) items.push_back(std::move(item));
  }
  for (const AnchorReport& a : session.AnchorReports) {
    if (a.FileIndex < 0 || a.FileIndex >= session.FileList.size()) continue;
    ReportItem item;
    item.File = a.FileIndex;
    item.Offset = a.ValuePos;
    item.Kind = "ANCHOR";
    item.RuleId = "broken-anchor";
    item.Url = a.Url;
    item.Value = a.Suggestion;
    item.Message = "The fragment \"#" + a.Fragment + "\" of " + Quoted(a.Url) +
                   " names no element of " + ReportName(session, a.Target);
    if (!a.Suggestion.empty()) item.Message += " (planned: \"#" + a.Suggestion + "\")";
    items.push_back(std::move(item));
  }
  std::stable_sort(items.begin(), items.end(), [](const ReportItem& a, const ReportItem& b) {
    return a.File != b.File ? a.File < b.File : a.Offset < b.Offset;
  });
  // Each file is read once more for the lines and columns of its items.
  for (std::size_t first = 0; first < items.size();) {
    std::size_t end = first;
    while (end < items.size() && items[end].File == items[first].File)
      ++end;
    ReadResult read = session.fs().ReadWholeFile(session.FileList.path(items[first].File));
    if (read.Status == ReadStatus::Ok) {
      const FileEncoding encoding = session.PrepareText(items[first].File, read.Bytes);
      std::vector<Pos> offsets;
      for (std::size_t k = first; k < end; ++k)
        offsets.push_back(items[k].Offset);
      const std::vector<TextPoint> points = PointsOf(session.View(read.Bytes, encoding), offsets);
      for (std::size_t k = first; k < end; ++k)
        items[k].At = points[k - first];
    }
    first = end;
  }
  return items;
}

std::string JunitReport(const ResultStep& step) {
  const SearchSession& session = step.Session;
  const std::vector<ReportItem> items = CollectReportItems(step);
  std::vector<int> files;
  for (int i = 0; i < session.FileList.size(); ++i) {
    if (IsProcessable(session.FileList.path(i), session.pathStyle())) files.push_back(i);
  }
  std::vector<std::size_t> firstItem(static_cast<std::size_t>(session.FileList.size()) + 1, 0);
  std::size_t failing = 0;
  {
    std::size_t k = 0;
    for (int f = 0; f <= session.FileList.size(); ++f) {
      while (k < items.size() && items[k].File < f)
        ++k;
      firstItem[static_cast<std::size_t>(f)] = k;
    }
    for (const int f : files) {
      if (firstItem[static_cast<std::size_t>(f) + 1] > firstItem[static_cast<std::size_t>(f)]) {
        ++failing;
      }
    }
  }
  const std::string counts = " tests=\"" + std::to_string(files.size()) + "\" failures=\"" +
                             std::to_string(failing) + "\" errors=\"0\"";
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<testsuites name=\"Urlsmith\"" + counts + " time=\"0\">\n";
  out += "  <testsuite name=\"links\"" + counts + " skipped=\"0\" time=\"0\">\n";
  out += "    <properties>\n      <property name=\"root\" value=\"" + XmlText(session.RootPath) +
         "\"/>\n    </properties>\n";
  for (const int f : files) {
    const std::string name = XmlText(ReportName(session, f));
    out +=
        "    <testcase name=\"" + name + "\" classname=\"links\" file=\"" + name + "\" time=\"0\"";
    const std::size_t begin = firstItem[static_cast<std::size_t>(f)];
    const std::size_t end = firstItem[static_cast<std::size_t>(f) + 1];
    if (begin == end) {
      out += "/>\n";
      continue;
    }
    out += ">\n";
    for (std::size_t k = begin; k < end; ++k) {
      const ReportItem& item = items[k];
      const std::string where = Location(item);
      out += "      <failure type=\"" + XmlText(item.Kind) + "\" message=\"" +
             XmlText(item.Message) + "\">" + name + (where.empty() ? "" : ":" + where) + ": " +
             XmlText(item.Message) + "</failure>\n";
    }
    out += "    </testcase>\n";
  }
  out += "  </testsuite>\n</testsuites>\n";
  return out;
}

std::string MarkdownCell(std::string_view text) {
  std::string out;
  ForEachCharacter(text, [&](std::string_view ch, unsigned c) {
    if (c < 0x20 || c == 0x7F) {
      out += ' ';
      return;
    }
    if (std::string_view("\\`*_[]<>|~&!#").find(static_cast<char>(c)) != std::string_view::npos &&
        c < 0x80) {
      out += '\\';
    }
    out.append(ch);
  });
  return out;
}

std::string MarkdownReport(const ResultStep& step) {
  const SearchSession& session = step.Session;
  const std::vector<ReportItem> items = CollectReportItems(step);
  std::size_t changes = 0;
  std::size_t anchors = 0;
  std::size_t filesWithItems = 0;
  for (std::size_t k = 0; k < items.size(); ++k) {
    (items[k].Kind == "ANCHOR" ? anchors : changes) += 1;
    if (k == 0 || items[k].File != items[k - 1].File) ++filesWithItems;
  }
  std::string out = "# Urlsmith link report\n\n";
  out += std::to_string(changes) + " link(s) to change or look at in " +
         std::to_string(filesWithItems) + " of " + std::to_string(session.ProcessableCount) +
         " file(s)";
  if (session.Search.CheckAnchors) out += ", " + std::to_string(anchors) + " broken anchor(s)";
  out += ".\n";
  if (!step.Options.AllowLinkDeletion) {
    out += "Link deletion is not allowed: broken links without a replacement stay as they are.\n";
  }
  for (std::size_t k = 0; k < items.size(); ++k) {
    const ReportItem& item = items[k];
    if (k == 0 || item.File != items[k - 1].File) {
      out += "\n## " + MarkdownCell(ReportName(session, item.File)) + "\n\n";
      out += "| Line | Column | Action | URL | New value |\n";
      out += "| ---: | ---: | --- | --- | --- |\n";
    }
    out += "| " + (item.At.Line > 0 ? std::to_string(item.At.Line) : std::string()) + " | " +
           (item.At.Line > 0 ? std::to_string(item.At.Column) : std::string()) + " | " +
           MarkdownCell(item.Kind) + " | " + MarkdownCell(item.Url) + " | " +
           MarkdownCell(item.Value) + " |\n";
  }
  if (!step.Options.HideOrphan) {
    bool first = true;
    for (int i = 0; i < session.FileList.size(); ++i) {
      if (session.FileList.referenced(i)) continue;
      if (first) out += "\n## Files no link refers to\n\n";
      first = false;
      out += "- " + MarkdownCell(ReportName(session, i)) + "\n";
    }
  }
  return out;
}

std::string SarifReport(const ResultStep& step, std::string_view version) {
  const SearchSession& session = step.Session;
  const bool windows = session.pathStyle() == PathStyle::Windows;
  const std::vector<ReportItem> items = CollectReportItems(step);
  std::string out = "{\n  \"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\",\n";
  out += "  \"version\": \"2.1.0\",\n  \"runs\": [\n    {\n";
  out += "      \"tool\": {\"driver\": {\"name\": \"Urlsmith\", \"version\": ";
  AppendJsonString(out, version);
  out += ", \"rules\": [";
  for (std::size_t r = 0; r < kRules.size(); ++r) {
    out += r == 0 ? "\n" : ",\n";
    out += "        {\"id\": ";
    AppendJsonString(out, kRules[r].Id);
    out += ", \"shortDescription\": {\"text\": ";
    AppendJsonString(out, kRules[r].Description);
    out += "}, \"defaultConfiguration\": {\"level\": ";
    AppendJsonString(out, kRules[r].Level);
    out += "}}";
  }
  out += "\n      ]}},\n";
  // Paths under the root are relative to it; the root itself is an absolute file URI.
  const std::string root = session.RootPath;
  out += "      \"originalUriBaseIds\": {\"SITEROOT\": {\"uri\": ";
  AppendJsonString(out, (windows ? "file:///" : "file://") + UriOfPath(root, windows));
  out += "}},\n      \"columnKind\": \"unicodeCodePoints\",\n      \"results\": [";
  for (std::size_t k = 0; k < items.size(); ++k) {
    const ReportItem& item = items[k];
    const std::string& path = session.FileList.path(item.File);
    const std::string name = ReportName(session, item.File);
    const bool underRoot = name.size() < path.size();
    out += k == 0 ? "\n" : ",\n";
    out += "        {\"ruleId\": ";
    AppendJsonString(out, item.RuleId);
    out += ", \"ruleIndex\": " + std::to_string(RuleIndex(item.RuleId)) + ", \"level\": ";
    AppendJsonString(out, kRules[RuleIndex(item.RuleId)].Level);
    out += ", \"message\": {\"text\": ";
    AppendJsonString(out, item.Message);
    out += "}, \"locations\": [{\"physicalLocation\": {\"artifactLocation\": {\"uri\": ";
    if (underRoot) {
      AppendJsonString(out, UriOfPath(name, windows));
      out += ", \"uriBaseId\": \"SITEROOT\"}";
    } else {
      AppendJsonString(out, (windows ? "file:///" : "file://") + UriOfPath(path, windows));
      out += '}';
    }
    if (item.At.Line > 0) {
      out += ", \"region\": {\"startLine\": " + std::to_string(item.At.Line) +
             ", \"startColumn\": " + std::to_string(item.At.Column) + "}";
    }
    out += "}}]}";
  }
  out += items.empty() ? "]\n" : "\n      ]\n";
  out += "    }\n  ]\n}\n";
  return out;
}

}  // namespace urlsmith
