#include "results/plan_json.h"

#include <array>
#include <cstdint>
#include <vector>

#include "text/primitives.h"
#include "text/replacement.h"
#include "text/url_ops.h"

namespace urlsmith {

namespace {

void AppendByteEscape(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u00";
  out += kHex[byte >> 4];
  out += kHex[byte & 0x0F];
}

void AppendBool(std::string& out, bool value) {
  out += value ? "true" : "false";
}

// "name": with the separator that comes before it.
void Key(std::string& out, std::string_view name, bool first = false) {
  if (!first) out += ", ";
  AppendJsonString(out, name);
  out += ": ";
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view bytes) {
  out += '"';
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          AppendByteEscape(out, c);
        } else if (c < 0x80) {
          out += static_cast<char>(c);
        } else if (const int length = Utf8Sequence(bytes, i, nullptr); length > 0) {
          out.append(bytes.substr(i, static_cast<std::size_t>(length)));
          i += static_cast<std::size_t>(length);
          continue;
        } else {
          AppendByteEscape(out, c);
        }
    }
    ++i;
  }
  out += '"';
}

std::string PlanJson(const ResultStep& step) {
  const SearchSession& session = step.Session;
  const std::vector<LinkEntry>& table = session.LinkTable;
  const ResultOptions& options = step.Options;
  const FileList& files = session.FileList;
  const auto groupOf = [&](std::size_t row) {
    return row < step.ResultGroup.size() ? step.ResultGroup[row] : kNoGroup;
  };

  // Rows per group, the line of each group, and the fix rows.
  std::vector<std::vector<std::size_t>> members(static_cast<std::size_t>(step.GroupCount));
  std::size_t hiddenRows = 0;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const std::int32_t g = groupOf(i);
    if (g >= 0 && static_cast<std::size_t>(g) < members.size()) {
      members[static_cast<std::size_t>(g)].push_back(i);
    } else {
      ++hiddenRows;
    }
  }
  std::vector<int> lineOfGroup(members.size(), -1);
  for (int k = 0; k < step.List.Count(); ++k) {
    const std::int32_t g = step.List.ItemData(k);
    if (g >= 0 && static_cast<std::size_t>(g) < lineOfGroup.size()) {
      lineOfGroup[static_cast<std::size_t>(g)] = k;
    }
  }
  std::vector<bool> isFix(table.size(), false);
  for (const std::int32_t fix : session.FixList) {
    if (fix >= 0 && static_cast<std::size_t>(fix) < table.size()) {
      isFix[static_cast<std::size_t>(fix)] = true;
    }
  }
  std::vector<int> orphans;
  if (!options.HideOrphan) {
    for (int k = 0; k < files.size(); ++k) {
      if (!files.referenced(k)) orphans.push_back(k);
    }
  }
  constexpr std::array kRules = {LineRule::Delete,  LineRule::Replace,   LineRule::ReplaceRelative,
                                 LineRule::CopyOld, LineRule::TargetAdd, LineRule::TargetModify};
  std::array<std::size_t, kRules.size()> perRule{};
  std::vector<LineRule> ruleOf(table.size());
  for (std::size_t i = 0; i < table.size(); ++i) {
    ruleOf[i] = LineRuleOf(table[i]);
    for (std::size_t r = 0; r < kRules.size(); ++r) {
      if (kRules[r] == ruleOf[i]) ++perRule[r];
    }
  }

  std::string out = "{\n";
  out += "  ";
  Key(out, "options", true);
  out += '{';
  Key(out, "sort", true);
  AppendJsonString(out, kSortModeNames[static_cast<int>(options.SortMode)]);
  Key(out, "hideDelete");
  AppendBool(out, options.HideDelete);
  Key(out, "hideReplace");
  AppendBool(out, options.HideReplace);
  Key(out, "hideTarget");
  AppendBool(out, options.HideTarget);
  Key(out, "hideOrphan");
  AppendBool(out, options.HideOrphan);
  Key(out, "allowLinkDeletion");
  AppendBool(out, options.AllowLinkDeletion);
  Key(out, "makeBackups");
  AppendBool(out, options.MakeBackups);
  out += "},\n  ";
  Key(out, "countLabel", true);
  AppendJsonString(out, CountLabelText(step.GroupCount));
  out += ",\n  ";
  Key(out, "notice", true);
  if (options.AllowLinkDeletion) {
    out += "null";
  } else {
    AppendJsonString(out, kDeletionNotice);
  }
  out += ",\n  ";
  Key(out, "counts", true);
  out += '{';
  Key(out, "rows", true);
  out += std::to_string(table.size());
  Key(out, "groups");
  out += std::to_string(step.GroupCount);
  Key(out, "orphans");
  out += std::to_string(orphans.size());
  Key(out, "fixes");
  out += std::to_string(session.FixList.size());
  Key(out, "hiddenRows");
  out += std::to_string(hiddenRows);
  const bool anchors = session.Search.CheckAnchors;
  if (anchors) {
    Key(out, "anchors");
    out += std::to_string(session.AnchorReports.size());
  }
  Key(out, "actions");
  out += '{';
  for (std::size_t r = 0; r < kRules.size(); ++r) {
    Key(out, ActionWord(kRules[r]), r == 0);
    out += std::to_string(perRule[r]);
  }
  out += "}},\n  ";

  Key(out, "groups", true);
  out += '[';
  for (std::size_t g = 0; g < members.size(); ++g) {
    out += g == 0 ? "\n    {" : ",\n    {";
    const std::vector<std::size_t>& rows = members[g];
    Key(out, "group", true);
    out += std::to_string(g);
    Key(out, "line");
    if (lineOfGroup[g] >= 0) {
      AppendJsonString(out, step.List.Text(lineOfGroup[g]));
    } else {
      out += "null";
    }
    if (!rows.empty()) {
      const LinkEntry& first = table[rows.front()];
      Key(out, "action");
      AppendJsonString(out, ActionWord(ruleOf[rows.front()]));
      Key(out, "url");
      AppendJsonString(out, first.Url);
      Key(out, "value");
      AppendJsonString(out, ReplacementText(first.Replacement).value());
    }
    Key(out, "count");
    out += std::to_string(rows.size());
    Key(out, "rows");
    out += '[';
    for (std::size_t k = 0; k < rows.size(); ++k) {
      if (k > 0) out += ", ";
      out += std::to_string(rows[k]);
    }
    out += "]}";
  }
  out += members.empty() ? "],\n  " : "\n  ],\n  ";

  Key(out, "orphans", true);
  out += '[';
  for (std::size_t k = 0; k < orphans.size(); ++k) {
    out += k == 0 ? "\n    " : ",\n    ";
    AppendJsonString(out, files.path(orphans[k]));
  }
  out += orphans.empty() ? "],\n  " : "\n  ],\n  ";

  if (anchors) {
    Key(out, "anchors", true);
    out += '[';
    const std::vector<AnchorReport>& reports = session.AnchorReports;
    for (std::size_t k = 0; k < reports.size(); ++k) {
      const AnchorReport& a = reports[k];
      out += k == 0 ? "\n    {" : ",\n    {";
      Key(out, "file", true);
      if (a.FileIndex >= 0 && a.FileIndex < files.size()) {
        AppendJsonString(out, files.path(a.FileIndex));
      } else {
        out += "null";
      }
      Key(out, "fileIndex");
      out += std::to_string(a.FileIndex);
      Key(out, "tagPos");
      out += std::to_string(a.TagPos);
      Key(out, "valuePos");
      out += std::to_string(a.ValuePos);
      Key(out, "url");
      AppendJsonString(out, a.Url);
      Key(out, "fragment");
      AppendJsonString(out, a.Fragment);
      Key(out, "target");
      if (a.Target >= 0 && a.Target < files.size()) {
        AppendJsonString(out, files.path(a.Target));
      } else {
        out += "null";
      }
      Key(out, "suggestion");
      if (a.Suggestion.empty()) {
        out += "null";
      } else {
        AppendJsonString(out, a.Suggestion);
      }
      out += '}';
    }
    out += reports.empty() ? "],\n  " : "\n  ],\n  ";
  }

  Key(out, "rows", true);
  out += '[';
  for (std::size_t i = 0; i < table.size(); ++i) {
    const LinkEntry& row = table[i];
    out += i == 0 ? "\n    {" : ",\n    {";
    Key(out, "index", true);
    out += std::to_string(i);
    Key(out, "file");
    if (row.FileIndex >= 0 && row.FileIndex < files.size()) {
      AppendJsonString(out, files.path(row.FileIndex));
    } else {
      out += "null";
    }
    Key(out, "fileIndex");
    out += std::to_string(row.FileIndex);
    Key(out, "tagPos");
    out += std::to_string(row.TagPos);
    Key(out, "valuePos");
    out += std::to_string(row.ValuePos);
    Key(out, "spanLength");
    out += std::to_string(row.SpanLength);
    Key(out, "quoteLength");
    out += std::to_string(row.QuoteLength);
    Key(out, "url");
    AppendJsonString(out, row.Url);
    Key(out, "replacement");
    AppendJsonString(out, row.Replacement);
    Key(out, "action");
    AppendJsonString(out, ActionWord(ruleOf[i]));
    Key(out, "group");
    out += std::to_string(groupOf(i));
    Key(out, "fix");
    AppendBool(out, isFix[i]);
    out += '}';
  }
  out += table.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return out;
}

}  // namespace urlsmith
