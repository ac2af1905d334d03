// The analysis of one found URL and the rows it plans, the Link Target Adder, and the
// replacement suggestion by file name.
//
// Paths follow the session's path style. In the Windows style a local file URL is "file:///"
// followed by the drive path in URL form (file:///D|/site/a.htm). In the POSIX style a local
// file URL is "file://" followed by the absolute path, which brings its own leading '/'
// (file:///home/site/a.htm): the local path of such a URL is the text after "file://", and an
// absolute reference to a listed file is "file://" + its path.
#include "engine/analysis.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "engine/internet_check.h"
#include "engine/saved_from.h"
#include "text/primitives.h"
#include "text/replacement.h"
#include "text/url_ops.h"

namespace urlsmith {

namespace {

constexpr auto kScriptSchemes =
    std::to_array<std::string_view>({"javascript:", "vbscript:", "about:"});
constexpr auto kUncheckedSchemes = std::to_array<std::string_view>(
    {"mailto:", "news:", "view-source:", "javascript:", "vbscript:", "about:"});
constexpr auto kInternetSchemes =
    std::to_array<std::string_view>({"http://", "https://", "ftp://", "gopher://"});
constexpr auto kImageExtensions =
    std::to_array<std::string_view>({"gif", "jpg", "jpeg", "png", "bmp"});
constexpr std::string_view kFileUrl = "file:///";
constexpr std::string_view kSchemeSeparator = "://";

template <std::size_t N>
bool StartsWithAny(std::string_view s, const std::array<std::string_view, N>& prefixes) {
  return std::any_of(prefixes.begin(), prefixes.end(),
                     [s](std::string_view p) { return StartsWithIgnoreCase(s, p); });
}

bool Contains(std::string_view s, std::string_view part) {
  return s.find(part) != std::string_view::npos;
}

// Where a found value stands and what it occupies: the fields every row of it shares.
struct Occurrence {
  int fileIndex = 0;
  Pos tagPos = 0;
  Pos valuePos = 0;
  int span = 0;
  int quote = 0;
  bool quoted = false;               // the value brings its own quotes
  bool quotedOrParenthesis = false;  // ... or is the '(' of a style url
};

ValueMode ModeFor(Pos tagPos) {
  return tagPos == kTagPosStyle ? ValueMode::StyleUrl : ValueMode::TagAttribute;
}

// Reads the value at valuePos (style mode for a style "url("). False when there is none, that
// is when the text ends before the value does.
bool ReadValue(const TextView& text, Pos tagPos, Pos valuePos, std::string* value, Occurrence& at) {
  if (valuePos < 0 || valuePos >= text.Size) return false;
  int span = 0;
  int quote = 0;
  ExtractValue(text, valuePos, value, ModeFor(tagPos), &span, &quote);
  if (span == 0) return false;
  at.span = span;
  at.quote = quote;
  return true;
}

// The address inside a style "url(...)": the parenthesis is the value's quote, so blanks and
// quotes written inside it, as in url( "a.gif" ), are still part of the value read. They are no
// part of the address.
std::string_view UnquotedStyleValue(std::string_view value) {
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
    value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
    value.remove_suffix(1);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// Whether the value as written at valuePos brings its own quotes: a double quote, an apostrophe,
// or a backslash followed by one of them; for a reference to a file also a '(' of a style url.
bool ValueIsQuoted(const TextView& text, Pos valuePos, bool parenthesisCounts) {
  return OpeningQuote(text, valuePos, parenthesisCounts) != QuoteKind::Unquoted;
}

// Appends a row; with `fix` also records it as an automatic protocol fix. 1, or -1 when the
// table is full.
RowOutcome AppendRow(SearchSession& session, const Occurrence& at, std::string url,
                     std::string replacement, bool fix) {
  LinkEntry row;
  row.FileIndex = at.fileIndex;
  row.TagPos = static_cast<std::int32_t>(at.tagPos);
  row.ValuePos = static_cast<std::int32_t>(at.valuePos);
  row.SpanLength = at.span;
  row.QuoteLength = at.quote;
  row.Url = std::move(url);
  row.Replacement = std::move(replacement);
  if (!session.AddRow(std::move(row))) return RowOutcome::Stop;
  if (fix && !session.AddFix(session.LinkCount() - 1)) return RowOutcome::Stop;
  return RowOutcome::Added;
}

// The base URL for comparisons with decoded URLs, or empty when none is to be used. A trailing
// separator is dropped, so that a base entered as http://www.site.com/ matches the URLs of that
// site too.
std::string ActiveBaseUrl(const SearchSession& session) {
  if (!session.Search.UseBaseUrl) return {};
  std::string base;
  DecodeUrl(session.Search.BaseUrl, &base, session.CodePage);
  while (!base.empty() && (base.back() == '/' || base.back() == '\\'))
    base.pop_back();
  return base;
}

// The folder of a path with its separator at the end, followed by `rest`.
std::string FolderWithSeparator(std::string_view path, PathStyle style,
                                std::string_view rest = {}) {
  std::string folder = FolderOf(path, style);
  if (folder.empty() || !IsPathSeparator(folder.back(), style)) folder += PathSeparator(style);
  folder += rest;
  return folder;
}

// How a reference to a listed file is written: as the processing options ask, or (for a link
// whose letter case is mended) in the form the link was written in.
enum class LinkForm { AsOptions, Relative, RootRelative, FileUrl, SiteUrl };

// The reference to listed file targetIndex from the page of `at` in a form; prefix receives a
// base URL that goes before it as the user wrote it.
std::string ReferenceTo(const SearchSession& session, const Occurrence& at, int targetIndex,
                        LinkForm form, const PageBase* base, std::string& prefix) {
  const PathStyle style = session.pathStyle();
  const std::string& targetPath = session.FileList.path(targetIndex);
  const bool internetBase = base != nullptr && base->What == PageBase::Kind::Internet;
  if (form == LinkForm::AsOptions) {
    // Under an Internet base a relative reference would name an Internet address.
    if (session.Processing.UrlForm == UrlFormKind::Relative && !internetBase) {
      form = LinkForm::Relative;
    } else if (session.Processing.UseBaseUrlAsRoot && session.Search.UseBaseUrl) {
      form = LinkForm::SiteUrl;
    } else {
      form = LinkForm::FileUrl;
    }
  }
  switch (form) {
    case LinkForm::Relative: {
      const bool fromBase = base != nullptr && base->What == PageBase::Kind::Folder;
      return MakeRelativePath(fromBase ? base->Folder : session.FileList.path(at.fileIndex),
                              targetPath, true, style);
    }
    case LinkForm::RootRelative: {
      const std::string fromRoot = MakeRelativePath(session.RootPath, targetPath, true, style);
      if (!Contains(fromRoot, kSchemeSeparator) && !fromRoot.starts_with("..")) {
        return "/" + fromRoot;
      }
      break;
    }
    case LinkForm::SiteUrl:
      prefix = session.Search.BaseUrl;
      if (prefix.empty() || prefix.back() != '/') prefix += '/';
      return MakeRelativePath(session.RootPath, targetPath, true, style);
    case LinkForm::FileUrl:
    case LinkForm::AsOptions:
      break;
  }
  return (style == PathStyle::Windows ? std::string(kFileUrl) : std::string("file://")) +
         targetPath;
}

// What a reference to a listed file or a deletion writes. `suffix` is the query and fragment that
// follow the reference. With `keepForm` the reference is written in that form, and a reference
// that differs from the URL only in letter case is planned too.
RowOutcome LinkEntryAt(SearchSession& session, const Occurrence& at, int targetIndex,
                       std::string_view url, std::string_view suffix, bool quoteFlag,
                       const PageBase* base = nullptr, const LinkForm* keepForm = nullptr) {
  std::string stored;
  stored.reserve(url.size() + suffix.size());
  stored.append(url).append(suffix);
  if (targetIndex < 0) {
    // A deleted attribute value stays well formed: an unquoted one is written as "".
    return AppendRow(session, at, std::move(stored),
                     ReplacementText::Deletion(quoteFlag && !at.quoted), false);
  }

  const PathStyle style = session.pathStyle();
  const std::string& targetPath = session.FileList.path(targetIndex);
  const bool wrap =
      quoteFlag && !at.quotedOrParenthesis && targetPath.find(' ') != std::string::npos;

  std::string prefix;  // the base URL, kept as the user wrote it
  std::string reference =
      ReferenceTo(session, at, targetIndex, keepForm != nullptr ? *keepForm : LinkForm::AsOptions,
                  base, prefix);
  reference += suffix;
  // Only the part built from paths is converted: a port in the base URL keeps its colon.
  ConvertSeparators(reference, true, style);

  std::string replacement;
  EscapeUrl(prefix + reference, &replacement);
  if (keepForm != nullptr ? replacement == stored : EqualsIgnoreCase(replacement, stored)) {
    return RowOutcome::None;
  }
  // The escaped value needs no quotes any more, but an attribute value that had none and named a
  // file with a blank gets them, as the form of a quoted replacement says.
  return AppendRow(session, at, std::move(stored),
                   ReplacementText::Plain(ReplacementText::Make("", replacement, wrap)), false);
}

RowOutcome CanonicalAt(SearchSession& session, const Occurrence& at, std::string_view decoded) {
  std::string escaped;
  if (EscapeUrl(decoded, &escaped) == 0) return RowOutcome::None;
  return AppendRow(session, at, std::string(decoded), ReplacementText::Plain(std::move(escaped)),
                   false);
}

// The escaped form when it is wanted and the value needs it; else nothing.
RowOutcome CanonicalIfWanted(SearchSession& session, const Occurrence& at, bool needsEscaping,
                             std::string_view decoded) {
  if (session.Processing.CanonicalizeUrls && needsEscaping) {
    return CanonicalAt(session, at, decoded);
  }
  return RowOutcome::None;
}

// An e-mail address written without "mailto:": an at sign and a dot, the first dot after the
// first at sign. A URL with a scheme or a folder before the at sign (http://user@host.com/,
// pics/me@home.jpg) is no e-mail address.
bool IsBareMailAddress(std::string_view url) {
  const std::size_t at = url.find('@');
  const std::size_t dot = url.find('.');
  if (at == std::string_view::npos || dot == std::string_view::npos || dot < at) return false;
  return url.substr(0, at).find_first_of("/\\:") == std::string_view::npos;
}

// A drive path: a letter, ':', then '/' not followed by '/' or '\' not followed by '\'.
bool IsDrivePath(std::string_view url) {
  if (url.size() < 3) return false;
  const char letter = url[0];
  if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) return false;
  if (url[1] != ':') return false;
  const char sep = url[2];
  if (sep != '/' && sep != '\\') return false;
  return url.size() == 3 || url[3] != sep;
}

// The first ':' of a URL that lacks the "//" after its scheme name; npos when there is none. A
// colon after a '/' or '?' stands in a path or a query (page.php?t=10:30) and names no scheme.
std::size_t SchemeColon(std::string_view url) {
  if (Contains(url, kSchemeSeparator)) return std::string_view::npos;
  const std::size_t colon = url.find(':');
  if (colon == std::string_view::npos) return colon;
  if (url.substr(0, colon).find_first_of("/?") != std::string_view::npos) {
    return std::string_view::npos;
  }
  return colon;
}

// The query of a local URL is no part of the file name: split it off for the lookup.
void SplitQuery(std::string_view url, std::string_view& path, std::string_view& query) {
  const std::size_t q = std::min(url.find('?'), url.size());
  path = url.substr(0, q);
  query = url.substr(q);
}

// a followed by b, in one string.
std::string Joined(std::string_view a, std::string_view b) {
  std::string joined;
  joined.reserve(a.size() + b.size());
  joined.append(a).append(b);
  return joined;
}

// The listed file spelled exactly as the path (after its dot steps), given the file `found`
// that matches it ignoring case; -1 when only other spellings are listed.
int ExactListedFile(const SearchSession& session, std::string path, int found) {
  const PathStyle style = session.pathStyle();
  if (!ResolveDotSegments(path, style)) return -1;
  const FileList& files = session.FileList;
  if (files.path(found) == path) return found;
  for (const int i : files.FilesNamed(FileNameOf(path, style))) {
    if (files.path(i) == path) return i;
  }
  return -1;
}

// A local link as the analysis resolves it: the row's URL (without query and fragment), what
// follows it, and the form it is written in.
struct LocalLink {
  std::string_view rowPath;
  std::string_view query;
  std::string_view fragment;
  LinkForm form;
  bool needsEscaping;
  std::string_view decoded;
  const PageBase* base;
};

// Notes a link with a fragment to page `target` for the anchor check; `outcome` is what the
// analysis planned for the same value.
void NoteAnchorLink(SearchSession& session, const Occurrence& at, int target,
                    std::string_view decoded, std::string_view fragment, RowOutcome outcome) {
  if (!session.Search.CheckAnchors || fragment.size() < 2) return;
  if (KindOfPath(session.FileList.path(target), session.pathStyle()) != FileKind::Page) return;
  AnchorCheck check;
  check.FileIndex = at.fileIndex;
  check.TagPos = static_cast<std::int32_t>(at.tagPos);
  check.ValuePos = static_cast<std::int32_t>(at.valuePos);
  check.SpanLength = at.span;
  check.QuoteLength = at.quote;
  check.Target = target;
  check.Row = outcome == RowOutcome::Added ? session.LinkCount() - 1 : -1;
  check.Decoded = decoded;
  check.Fragment = std::string(fragment.substr(1));
  session.Anchors.Pending.push_back(std::move(check));
}

// Resolves a local path against the file list and plans what it needs (localPath is the
// caller's and is changed). wantedForm is the URL form under which a found file is written
// anew.
RowOutcome ResolveLocal(SearchSession& session, const Occurrence& at, bool quoteFlag,
                        std::string& localPath, const LocalLink& link, UrlFormKind wantedForm) {
  const PathStyle style = session.pathStyle();
  // What follows the path in a planned reference: only built when a reference is planned.
  const auto suffix = [&link] { return Joined(link.query, link.fragment); };
  ConvertSeparators(localPath, false, style);
  // A join longer than the platform takes names no file.
  int found =
      localPath.size() > MaxPathLength(style) ? -1 : session.FileList.FindListedFile(localPath);
  if (found < 0) {
    const int target = SuggestReplacement(session, localPath, 0, at.fileIndex);
    return LinkEntryAt(session, at, target, link.rowPath, suffix(), quoteFlag, link.base);
  }
  RowOutcome outcome = RowOutcome::None;
  const int exact =
      session.Search.CaseSensitive ? ExactListedFile(session, localPath, found) : found;
  if (exact < 0) {
    // The server would not find it: the file's own spelling, in the link's form.
    session.FileList.SetReferenced(found);
    outcome =
        LinkEntryAt(session, at, found, link.rowPath, suffix(), quoteFlag, link.base, &link.form);
  } else {
    found = exact;
    session.FileList.SetReferenced(found);
    if (session.Processing.UrlForm == wantedForm) {
      outcome = LinkEntryAt(session, at, found, link.rowPath, suffix(), quoteFlag, link.base);
    } else {
      outcome = CanonicalIfWanted(session, at, link.needsEscaping, link.decoded);
    }
  }
  if (outcome != RowOutcome::Stop) {
    NoteAnchorLink(session, at, found, link.decoded, link.fragment, outcome);
  }
  return outcome;
}

// Whether a URL is relative to the page's base: no scheme, no drive.
bool IsRelativeReference(std::string_view url) {
  return !Contains(url, kSchemeSeparator) && SchemeColon(url) == std::string_view::npos &&
         !IsDrivePath(url);
}

// The extension of a URL's last path component (query and fragment not included).
std::string_view UrlExtension(std::string_view url) {
  url = url.substr(0, std::min(url.find_first_of("?#"), url.size()));
  const std::size_t slash = url.find_last_of("/\\");
  const std::string_view last = slash == std::string_view::npos ? url : url.substr(slash + 1);
  const std::size_t dot = last.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : last.substr(dot + 1);
}

}  // namespace

ValueReading ReadFoundValue(const TextView& text, Pos tagPos, Pos valuePos, ValueStore& store) {
  ValueReading reading;
  std::string_view raw;
  if (tagPos != kTagPosStyle && valuePos >= 0 && PlainQuotedValue(text, valuePos, raw)) {
    // Most values: quoted, and nothing in them but plain characters. They are taken as they
    // stand in the text.
    reading.Span = static_cast<int>(raw.size()) + 2;
    reading.Quote = 1;
    reading.Quoted = reading.QuotedOrParenthesis = true;
  } else {
    Occurrence at;
    if (!ReadValue(text, tagPos, valuePos, &store.Raw, at)) return reading;
    raw = store.Raw;
    if (tagPos == kTagPosStyle) raw = UnquotedStyleValue(raw);
    reading.Span = at.span;
    reading.Quote = at.quote;
    reading.Quoted = ValueIsQuoted(text, valuePos, false);
    reading.QuotedOrParenthesis = ValueIsQuoted(text, valuePos, true);
  }
  reading.Present = true;
  const UrlNeeds needs = WhatUrlNeeds(raw);
  reading.NeedsEscaping = needs.Escaping;
  // A value with nothing to decode is its own decoded form.
  if (!needs.Decoding) {
    reading.Decoded = store.Keep(raw);
  } else {
    DecodeUrl(raw, &store.Decoded, text.CodePage);
    reading.Decoded = store.Keep(store.Decoded);
  }
  return reading;
}

ValueReading ReadSpanValue(const TextView& text, Pos from, Pos to, ValueStore& store) {
  ValueReading reading;
  if (from < 0 || to <= from || to > text.Size) return reading;
  const std::string raw = TextBetween(text, from, to);
  reading.Present = true;
  reading.Span = static_cast<int>((to - from) / text.width());
  reading.Quoted = ValueIsQuoted(text, from, false);
  reading.QuotedOrParenthesis = ValueIsQuoted(text, from, true);
  reading.NeedsEscaping = EscapeUrl(raw, nullptr) > 0;
  DecodeUrl(raw, &store.Decoded, text.CodePage);
  reading.Decoded = store.Keep(store.Decoded);
  return reading;
}

PageBase ResolvePageBase(const SearchSession& session, int fileIndex, std::string_view href) {
  PageBase base;
  const PathStyle style = session.pathStyle();
  href = href.substr(0, std::min(href.find('#'), href.size()));
  while (!href.empty() && IsBlankOrControl(static_cast<unsigned char>(href.front())))
    href.remove_prefix(1);
  while (!href.empty() && IsBlankOrControl(static_cast<unsigned char>(href.back())))
    href.remove_suffix(1);
  if (href.empty() || fileIndex < 0 || fileIndex >= session.FileList.size()) return base;
  const std::string_view path = href.substr(0, std::min(href.find('?'), href.size()));
  const auto isUrlSeparator = [](char c) { return c == '/' || c == '\\'; };
  const std::string pageFolder = FolderWithSeparator(session.FileList.path(fileIndex), style);
  std::string local;
  if (StartsWithAny(href, kInternetSchemes)) {
    // The user's own site is local; any other address makes the page's links Internet ones.
    const std::string site = ActiveBaseUrl(session);
    if (site.empty() || !StartsWithIgnoreCase(path, site) ||
        (path.size() > site.size() && !isUrlSeparator(path[site.size()]))) {
      base.What = PageBase::Kind::Internet;
      base.Url = std::string(href);
      return base;
    }
    local = session.RootPath;
    if (path.size() > site.size()) local += path.substr(site.size() + 1);
  } else if (StartsWithIgnoreCase(href, kFileUrl)) {
    local = std::string(
        path.substr(style == PathStyle::Windows ? kFileUrl.size() : kFileUrl.size() - 1));
  } else if (path.size() >= 2 && isUrlSeparator(path[0]) && isUrlSeparator(path[1])) {
    return base;  // another server, with the scheme of a page that has none
  } else if (!IsRelativeReference(path)) {
    return base;
  } else if (!path.empty() && isUrlSeparator(path[0])) {
    local = session.RootPath + std::string(path.substr(1));
  } else {
    local = pageFolder + std::string(path);
  }
  ConvertSeparators(local, false, style);
  // A base names a folder when it ends in a separator, else a file of its folder.
  std::string folder = !local.empty() && IsPathSeparator(local.back(), style)
                           ? local
                           : FolderWithSeparator(local, style);
  if (!ResolveDotSegments(folder, style)) return base;
  if (folder.empty() || !IsPathSeparator(folder.back(), style)) folder += PathSeparator(style);
  if (folder == pageFolder) return base;
  base.What = PageBase::Kind::Folder;
  base.Folder = std::move(folder);
  return base;
}

std::string PageFolderOf(const SearchSession& session, int fileIndex) {
  return FolderWithSeparator(session.FileList.path(fileIndex), session.pathStyle());
}

std::string ResolveAgainstBase(std::string_view base, std::string_view reference) {
  const std::size_t scheme = base.find(kSchemeSeparator);
  if (scheme == std::string_view::npos) return std::string(reference);
  const std::size_t hostEnd =
      std::min(base.find_first_of("/?", scheme + kSchemeSeparator.size()), base.size());
  const std::string origin(base.substr(0, hostEnd));
  std::string ref(reference);
  std::replace(ref.begin(), ref.end(), '\\', '/');
  if (ref.starts_with("//")) return std::string(base.substr(0, scheme + 1)) + ref;
  if (ref.starts_with("/")) return origin + ref;
  const std::string_view basePath =
      base.substr(hostEnd, std::min(base.find('?', hostEnd), base.size()) - hostEnd);
  if (ref.starts_with("?")) return origin + std::string(basePath) + ref;
  const std::size_t q = std::min(ref.find('?'), ref.size());
  std::string folder(basePath.substr(0, basePath.rfind('/') + 1));
  if (folder.empty()) folder = "/";
  std::string joined = folder + ref.substr(0, q);
  std::string resolved = joined;
  if (!ResolveDotSegments(resolved, PathStyle::Posix)) resolved = joined;
  return origin + resolved + ref.substr(q);
}

RowOutcome AnalyseUrl(SearchSession& session, RunView& view, const TextView& text, int fileIndex,
                      Pos tagPos, Pos valuePos, bool quoteFlag) {
  ValueStore store;
  return AnalyseReadUrl(session, view, fileIndex, tagPos, valuePos, quoteFlag,
                        ReadFoundValue(text, tagPos, valuePos, store));
}

RowOutcome AnalyseReadUrl(SearchSession& session, RunView& view, int fileIndex, Pos tagPos,
                          Pos valuePos, bool quoteFlag, const ValueReading& reading,
                          const PageBase* base) {
  const PathStyle style = session.pathStyle();
  const ProcessingOptions& processing = session.Processing;
  if (!reading.Present) return RowOutcome::None;
  Occurrence at{fileIndex,
                tagPos,
                valuePos,
                reading.Span,
                reading.Quote,
                reading.Quoted,
                reading.QuotedOrParenthesis};
  // The page's own folder, when the caller knows it.
  const std::string* pageFolder =
      base != nullptr && !base->PageFolder.empty() ? &base->PageFolder : nullptr;
  if (base != nullptr && base->What == PageBase::Kind::None) base = nullptr;

  // 1-2. The value, whether it needs escaping, decoded (read ahead), split at its fragment.
  const bool needsEscaping = reading.NeedsEscaping;
  const std::string_view decoded = reading.Decoded;
  // The URL and its fragment are views of the decoded value.
  const std::string_view value(decoded);
  const std::size_t hash = std::min(value.find('#'), value.size());
  std::string_view url = value.substr(0, hash);
  const std::string_view fragment = value.substr(hash);
  if (!url.empty() && url.back() == '/') url.remove_suffix(1);
  // Every scheme and drive has a colon: a URL without one, as most local links are, skips their
  // tests.
  const bool hasColon = url.find(':') != std::string_view::npos;

  // 3. Script links to delete.
  if (processing.DeleteScriptLinks && hasColon && StartsWithAny(url, kScriptSchemes)) {
    return LinkEntryAt(session, at, -1, url, fragment, quoteFlag);
  }
  // 4. Links that are not checked.
  if (url.empty() || (hasColon && StartsWithAny(url, kUncheckedSchemes))) {
    const RowOutcome outcome = CanonicalIfWanted(session, at, needsEscaping, decoded);
    // A fragment of the page itself (a base would lead it elsewhere).
    if (url.empty() && base == nullptr && outcome != RowOutcome::Stop) {
      NoteAnchorLink(session, at, fileIndex, decoded, fragment, outcome);
    }
    return outcome;
  }
  // 5. A forgotten "mailto:".
  if (processing.AddProtocolNames && IsBareMailAddress(url)) {
    std::string replacement;
    EscapeUrl(std::string("mailto:").append(decoded), &replacement);
    return AppendRow(session, at, std::string(decoded), std::move(replacement), false);
  }
  // 6. A forgotten protocol name.
  if (processing.AddProtocolNames && url.size() >= 4) {
    std::string completed;
    if (StartsWithIgnoreCase(url, "www.")) {
      completed.assign("http://").append(decoded);
    } else if (StartsWithIgnoreCase(url, "ftp.")) {
      completed.assign("ftp://").append(decoded);
    } else if (hasColon && IsDrivePath(url)) {
      completed.assign(kFileUrl).append(decoded);
      ConvertSeparators(completed, true, style);
    }
    if (!completed.empty()) {
      std::string replacement;
      EscapeUrl(completed, &replacement);
      return AppendRow(session, at, std::string(decoded), std::move(replacement), true);
    }
  }
  // 7. A forgotten "//" after the scheme name.
  if (processing.AddProtocolSlashes && hasColon) {
    const std::size_t colon = SchemeColon(url);
    if (colon != std::string_view::npos) {
      std::string replacement;
      std::string slashed(decoded.substr(0, colon + 1));
      slashed.append("//").append(decoded.substr(colon + 1));
      EscapeUrl(slashed, &replacement);
      return AppendRow(session, at, std::string(decoded),
                       ReplacementText::Plain(std::move(replacement)), true);
    }
  }

  // Under an Internet base a relative link is an Internet address; its rows keep the URL as
  // written.
  const bool internetBase = base != nullptr && base->What == PageBase::Kind::Internet;
  const bool resolved =
      internetBase && IsRelativeReference(url) &&
      !(url.size() >= 2 && (url[0] == '/' || url[0] == '\\') && (url[1] == '/' || url[1] == '\\'));
  // url becomes the resolved address; shown stays the URL as written.
  const std::string_view shown = url;
  std::string resolvedUrl;
  if (resolved) {
    resolvedUrl = ResolveAgainstBase(base->Url, shown);
    url = resolvedUrl;
  }
  const bool urlHasColon = resolved ? url.find(':') != std::string_view::npos : hasColon;

  std::string_view urlPath;
  std::string_view query;
  SplitQuery(url, urlPath, query);
  std::string_view shownPath = urlPath;
  std::string_view shownQuery = query;
  if (resolved) SplitQuery(shown, shownPath, shownQuery);
  const auto local = [&](LinkForm form) {
    return LocalLink{shownPath, shownQuery, fragment, form, needsEscaping, decoded, base};
  };

  // 8. A URL of the user's own site.
  // A URL that names only the site itself (with a query at most) is left to the Internet check.
  const std::string siteBase = ActiveBaseUrl(session);
  if (!siteBase.empty() && urlPath.size() > siteBase.size() + 1 &&
      StartsWithIgnoreCase(urlPath, siteBase) &&
      (urlPath[siteBase.size()] == '/' || urlPath[siteBase.size()] == '\\')) {
    std::string localPath = Joined(session.RootPath, urlPath.substr(siteBase.size() + 1));
    return ResolveLocal(session, at, quoteFlag, localPath, local(LinkForm::SiteUrl),
                        UrlFormKind::Relative);
  }

  // 9. Internet URLs.
  if (urlHasColon && StartsWithAny(url, kInternetSchemes)) {
    for (const std::regex& excluded : session.Search.ExcludedUrls) {
      if (std::regex_search(url.begin(), url.end(), excluded)) return RowOutcome::None;
    }
    InternetChecker* checker = session.internet();
    const bool checked = !session.InternetCheckOff && checker != nullptr;
    if (checked) {
      const UrlVerdict verdict = checker->CheckInternetUrl(url, view);
      if (verdict == UrlVerdict::Stopped) return RowOutcome::Stop;
      if (verdict == UrlVerdict::Valid) {
        if (session.Search.FixRedirects) {
          // The check asked for the URL without its trailing '/': a move that only puts it
          // back changes nothing.
          if (auto moved = checker->MovedTo(url); moved && Joined(*moved, fragment) != decoded) {
            return AppendRow(session, at, Joined(shown, fragment), Joined(*moved, fragment), false);
          }
        }
        return CanonicalIfWanted(session, at, needsEscaping, decoded);
      }
    }
    // Broken, or not checked: the local copy of a page saved from this very address, else a
    // file of the same name, else deletion.
    const int saved = FindSavedFromPage(session, url);
    if (saved >= 0) {
      // The saved page is now a link target: it is no orphan.
      session.FileList.SetReferenced(saved);
      return LinkEntryAt(session, at, saved, shown, fragment, quoteFlag, base);
    }
    if (!checked && session.Search.KeepUncheckedInternetUrls) {
      return CanonicalIfWanted(session, at, needsEscaping, decoded);
    }
    if (!checked) ++session.UncheckedInternetChanges;
    const int target =
        session.Search.SearchByFileNames ? SuggestReplacement(session, url, 0, at.fileIndex) : -1;
    return LinkEntryAt(session, at, target, shown, fragment, quoteFlag, base);
  }

  // 10. A local absolute URL.
  if (urlHasColon && StartsWithIgnoreCase(url, kFileUrl)) {
    const std::size_t skip = style == PathStyle::Windows ? kFileUrl.size() : kFileUrl.size() - 1;
    std::string localPath(urlPath.substr(skip));
    return ResolveLocal(session, at, quoteFlag, localPath, local(LinkForm::FileUrl),
                        UrlFormKind::Relative);
  }

  // 11. Relative URLs.
  if (!urlHasColon || !Contains(url, kSchemeSeparator)) {
    // Browsers read a '\\' in a URL as '/', whatever the platform.
    auto isUrlSeparator = [](char c) { return c == '/' || c == '\\'; };
    if (urlPath.size() >= 2 && isUrlSeparator(urlPath[0]) && isUrlSeparator(urlPath[1])) {
      // A network-path reference (//host/path) names another server: nothing local to check.
      return CanonicalIfWanted(session, at, needsEscaping, decoded);
    }
    // Most links of a page are relative: their paths are joined in a buffer of the thread's
    // that is kept from link to link.
    thread_local std::string localPath;
    LinkForm form = LinkForm::Relative;
    if (!urlPath.empty() && isUrlSeparator(urlPath[0])) {
      // A root-relative URL starts at the root folder of the site.
      localPath.assign(session.RootPath).append(urlPath.substr(1));
      form = LinkForm::RootRelative;
    } else if (base != nullptr && base->What == PageBase::Kind::Folder) {
      localPath.assign(base->Folder).append(urlPath);
    } else if (pageFolder != nullptr) {
      localPath.assign(*pageFolder).append(urlPath);
    } else {
      localPath = FolderWithSeparator(session.FileList.path(fileIndex), style, urlPath);
    }
    return ResolveLocal(session, at, quoteFlag, localPath, local(form), UrlFormKind::Absolute);
  }

  // 13. Any other scheme.
  if (processing.DeleteUnknownProtocols) {
    return LinkEntryAt(session, at, -1, url, fragment, quoteFlag);
  }
  return CanonicalIfWanted(session, at, needsEscaping, decoded);
}

bool TargetAdderQualifies(const SearchSession& session, const std::string& url,
                          const std::string* replacement) {
  const std::string judged = replacement != nullptr && !replacement->empty()
                                 ? std::string(ReplacementText(*replacement).value())
                                 : url;
  switch (session.Processing.TargetAdderMode) {
    case TargetMode::AllExternal: {
      if (!Contains(judged, kSchemeSeparator)) return false;
      if (StartsWithIgnoreCase(judged, kFileUrl)) return false;
      const std::string& base = session.Search.BaseUrl;
      return !(session.Search.UseBaseUrl && !base.empty() && StartsWithIgnoreCase(judged, base));
    }
    case TargetMode::ImageFiles: {
      const std::string_view ext = UrlExtension(judged);
      return std::any_of(kImageExtensions.begin(), kImageExtensions.end(),
                         [ext](std::string_view e) { return EqualsIgnoreCase(ext, e); });
    }
    case TargetMode::CustomMask:
      return MatchUrlMask(judged, session.Processing.TargetUrlMask);
    case TargetMode::NoSelection:
      return true;
  }
  return true;
}

RowOutcome AddTargetEntry(SearchSession& session, int fileIndex, Pos tagPos, Pos valuePos,
                          const ValueReading& target, const std::string& url,
                          const std::string& existingTarget, bool quoteFlag) {
  const std::string& name = session.Processing.TargetName;
  Occurrence at{fileIndex, tagPos, tagPos, 0, 0};
  bool quoted = false;
  if (valuePos >= 0) {
    if (EqualsIgnoreCase(existingTarget, name)) return RowOutcome::None;
    at.valuePos = valuePos;
    if (!target.Present) return RowOutcome::None;
    at.span = target.Span;
    at.quote = target.Quote;
    quoted = target.Quoted;
  }
  return AppendRow(session, at, url, ReplacementText::Make(kTargetMark, name, !quoted && quoteFlag),
                   false);
}

namespace {

// How many trailing path components two paths share, folder names compared ignoring ASCII
// case; a ".." step ends the run.
std::size_t SharedTail(std::string_view a, std::string_view b, char separator) {
  std::size_t shared = 0;
  while (!a.empty() && !b.empty()) {
    const std::size_t cutA = a.find_last_of(separator);
    const std::size_t cutB = b.find_last_of(separator);
    const std::string_view lastA = cutA == std::string_view::npos ? a : a.substr(cutA + 1);
    const std::string_view lastB = cutB == std::string_view::npos ? b : b.substr(cutB + 1);
    if (lastA == ".." || !EqualsIgnoreCase(lastA, lastB)) break;
    ++shared;
    if (cutA == std::string_view::npos || cutB == std::string_view::npos) break;
    a = a.substr(0, cutA);
    b = b.substr(0, cutB);
  }
  return shared;
}

}  // namespace

int SuggestReplacement(SearchSession& session, std::string_view pathOrUrl, int startIndex,
                       int fromFile) {
  FileList& files = session.FileList;
  const PathStyle style = session.pathStyle();
  startIndex = std::max(startIndex, 0);
  if (startIndex >= files.size()) return -1;
  const std::vector<int>& named = files.FilesNamed(FileNameOf(pathOrUrl, style));
  const auto first = std::lower_bound(named.begin(), named.end(), startIndex);
  if (first == named.end()) return -1;

  int best = -1;
  if (Contains(pathOrUrl, kSchemeSeparator)) {
    // The longest common tail with the URL (exact letter case) wins; the earlier file on ties.
    std::size_t bestScore = 0;
    for (auto it = first; it != named.end(); ++it) {
      std::string candidate = files.path(*it);
      ConvertSeparators(candidate, true, style);
      std::size_t score = 0;
      while (score < candidate.size() && score < pathOrUrl.size() &&
             candidate[candidate.size() - 1 - score] == pathOrUrl[pathOrUrl.size() - 1 - score]) {
        ++score;
      }
      if (score > bestScore) {
        bestScore = score;
        best = *it;
      }
    }
  } else {
    // The fewest folder steps from the broken path wins; on equal steps the longest shared tail
    // of folder names, then the earlier file. The path's ".." steps are resolved first, as
    // the lookup resolves them: "de/../../pt-br/x" is as far from "de/x" as from "pt-br/x".
    const char separator = PathSeparator(style);
    std::string resolved(pathOrUrl);
    if (ResolveDotSegments(resolved, style)) pathOrUrl = resolved;
    std::size_t bestSteps = 0;
    std::size_t bestTail = 0;
    for (auto it = first; it != named.end(); ++it) {
      const std::string& candidate = files.path(*it);
      const std::string reference = MakeRelativePath(pathOrUrl, candidate, false, style);
      const auto steps =
          static_cast<std::size_t>(std::count(reference.begin(), reference.end(), separator));
      if (best >= 0 && steps > bestSteps) continue;
      const std::size_t tail = SharedTail(pathOrUrl, candidate, separator);
      if (best < 0 || steps < bestSteps || tail > bestTail) {
        bestSteps = steps;
        bestTail = tail;
        best = *it;
      }
    }
  }
  // A link to the page that holds it repairs nothing, and when that page fits best, the next
  // best is no better a guess: no suggestion.
  if (best >= 0 && best == fromFile) return -1;
  if (best >= 0) files.SetReferenced(best);
  return best;
}

void NoteAnchorNames(SearchSession& session, int fileIndex, const std::vector<std::string>& names) {
  AnchorIndex& anchors = session.Anchors;
  const auto n = static_cast<std::size_t>(session.FileList.size());
  if (anchors.Names.size() < n) {
    anchors.Names.resize(n);
    anchors.Known.resize(n, 0);
  }
  anchors.Names[static_cast<std::size_t>(fileIndex)] = names;
  anchors.Known[static_cast<std::size_t>(fileIndex)] = 1;
}

namespace {

// The one anchor of a page that equals `fragment` ignoring letter case; empty when there is
// none or more than one.
std::string CaseMatch(const std::vector<std::string>& names, std::string_view fragment) {
  std::string match;
  for (const std::string& name : names) {
    if (!EqualsIgnoreCase(name, fragment)) continue;
    if (!match.empty()) return {};
    match = name;
  }
  return match;
}

// The planned value with its fragment spelled anew: the value up to its '#', then the escaped
// spelling.
std::string WithFragment(std::string_view value, std::string_view fragment) {
  std::string escaped;
  EscapeUrl(fragment, &escaped);
  std::string out(value.substr(0, std::min(value.find('#'), value.size())));
  out += '#';
  out += escaped;
  return out;
}

}  // namespace

RowOutcome CheckNotedAnchors(SearchSession& session) {
  AnchorIndex& anchors = session.Anchors;
  // The names of each page, case-folded, for pages with many links to check.
  std::unordered_map<int, std::unordered_map<std::string, std::vector<std::string>>> folded;
  for (const AnchorCheck& check : anchors.Pending) {
    const auto target = static_cast<std::size_t>(check.Target);
    if (target >= anchors.Known.size() || anchors.Known[target] == 0) continue;
    const std::vector<std::string>& names = anchors.Names[target];
    if (std::binary_search(names.begin(), names.end(), check.Fragment)) continue;
    // "#top" always leads to the top of the page.
    if (EqualsIgnoreCase(check.Fragment, "top")) continue;
    auto [byName, fresh] = folded.try_emplace(check.Target);
    if (fresh) {
      for (const std::string& name : names)
        byName->second[ToLowerAscii(name)].push_back(name);
    }
    const auto same = byName->second.find(ToLowerAscii(check.Fragment));
    const std::string suggestion =
        same == byName->second.end() ? std::string() : CaseMatch(same->second, check.Fragment);

    AnchorReport report;
    report.FileIndex = check.FileIndex;
    report.TagPos = check.TagPos;
    report.ValuePos = check.ValuePos;
    report.Target = check.Target;
    report.Url = check.Decoded;
    report.Fragment = check.Fragment;
    report.Suggestion = suggestion;
    session.AnchorReports.push_back(std::move(report));
    if (suggestion.empty()) continue;

    if (check.Row >= 0 && static_cast<std::size_t>(check.Row) < session.LinkTable.size()) {
      // The value has a planned change already: its fragment is spelled anew in it.
      LinkEntry& row = session.LinkTable[static_cast<std::size_t>(check.Row)];
      const ReplacementText planned(row.Replacement);
      if (planned.IsDeletion() || !planned.mark().empty()) continue;
      row.Replacement = ReplacementText::Plain(
          ReplacementText::Make("", WithFragment(planned.value(), suggestion), planned.quoted()));
      continue;
    }
    LinkEntry row;
    row.FileIndex = check.FileIndex;
    row.TagPos = check.TagPos;
    row.ValuePos = check.ValuePos;
    row.SpanLength = check.SpanLength;
    row.QuoteLength = check.QuoteLength;
    row.Url = check.Decoded;
    std::string escaped;
    EscapeUrl(WithFragment(check.Decoded, suggestion), &escaped);
    row.Replacement = ReplacementText::Plain(std::move(escaped));
    if (!session.AddRow(std::move(row))) return RowOutcome::Stop;
  }
  anchors.Pending.clear();
  return RowOutcome::None;
}

}  // namespace urlsmith
