// The data of a search: the file list and what the search derives from it per file, the table
// of found links with their planned changes, the automatic protocol fixes, the script ranges of
// the page being scanned, the option records that steer the engine, and the run flags. It all
// lives in one SearchSession; nothing is global.
#pragma once

#include <cstdint>
#include <memory>
#include <regex>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/file_list.h"
#include "text/file_system.h"
#include "text/text_types.h"

namespace urlsmith {

// Capacities of the tables. A search that would go past them stops with a message.
inline constexpr int kMaxFiles = 131072;
inline constexpr int kMaxLinkRows = 262144;
inline constexpr int kMaxFixes = 262144;
inline constexpr int kMaxScriptRanges = 1024;

// Special TagPos values.
inline constexpr std::int32_t kTagPosScript = -1;  // a URL found in script text by protocol
inline constexpr std::int32_t kTagPosStyle = -2;   // a URL found in a style "url("

// One URL occurrence found in a processable file and its planned change.
struct LinkEntry {
  std::int32_t FileIndex = 0;
  std::int32_t TagPos = 0;       // byte offset of the tag's '<', or kTagPosScript/kTagPosStyle
  std::int32_t ValuePos = 0;     // byte offset of the value's first character (its quote)
  std::int32_t SpanLength = 0;   // characters the value occupies, quotes included
  std::int32_t QuoteLength = 0;  // characters of the opening quote: 0, 1 or 2
  std::string Url;               // the URL as found, decoded, fragment included
  std::string Replacement;       // the planned new value (see ActionOf)
};

// What a row's Replacement asks for.
enum class RowAction { Delete, CopyOld, ReplaceRelative, Target, Replace };
RowAction ActionOf(const LinkEntry& row);

// The processable extensions: pages, style sheets and scripts.
enum class FileKind { Other, Page, Style, Script };
FileKind KindOfPath(std::string_view path, PathStyle style);
inline bool IsProcessable(std::string_view path, PathStyle style) {
  return KindOfPath(path, style) != FileKind::Other;
}

enum class UrlFormKind { Relative = 0, Absolute = 1 };
enum class TargetMode { AllExternal = 0, ImageFiles = 1, CustomMask = 2, NoSelection = -1 };

// The search options (wizard step 3). Defaults are those of a first start.
struct SearchOptions {
  bool CheckInternetUrls = true;
  bool SearchByFileNames = true;
  bool UseSavedFromUrl = true;
  bool UseBaseUrl = false;
  std::string BaseUrl;
  bool ScanEventHandlers = true;
  bool ScanScriptsByProtocol = true;
  bool ScanScriptsByTag = false;
  // Internet URLs that are not checked (the check is off, or no connection could be made) are
  // left as they are, but for the changes that need no check: escaping, a completed protocol
  // name, the local copy of a page saved from that address. Off, as the wizard works, an
  // unchecked URL counts as broken: it is replaced by a same-named file or deleted, which
  // rids downloaded pages of their Internet links. Not remembered between runs.
  bool KeepUncheckedInternetUrls = false;
  // Internet URLs matching any of these (anywhere in the URL) are neither checked nor changed.
  std::vector<std::regex> ExcludedUrls;
  // Threads that read and prepare the files of the link search ahead of their scan: 0 picks
  // one per processor (at most kMaxScanWorkers); 1 or more sets the number. The results and
  // everything the run shows are the same with any number. Not remembered between runs.
  int ScanWorkers = 0;
  // An Internet URL that answers with permanent redirects (301, 308) only and ends at a page
  // that is there is replaced by that final address, fragment kept.
  bool FixRedirects = false;
  // The places of addresses that came with HTML5 and later pages (srcset lists, media sources,
  // OBJECT data, META refresh, SVG references, form actions, cite attributes, CSS @import
  // strings) are searched after the tag table's rows and read and rewritten like them.
  bool SearchHtml5 = true;
  // A local link's fragment must name an element of its page (an id, or an A tag's name):
  // the others are reported, and a unique match that differs only in letter case is planned.
  bool CheckAnchors = false;
  // The site is served by a server that tells letter case apart: a local link that finds its
  // file only when case is ignored is broken, and gets the file's own spelling.
  bool CaseSensitive = false;
};

inline constexpr int kMaxScanWorkers = 16;

// The number of threads that read and prepare files under these options (ScanWorkers, or one
// per processor).
int ScanWorkerCount(const SearchOptions& options);

// The read buffers of those threads, one each. The phases of a run that read files hand them on
// to one another, so that a page read again is read into memory already in use.
using ReadBuffers = std::vector<ReadResult>;

// The processing options (wizard step 4). Defaults are those of a first start.
struct ProcessingOptions {
  UrlFormKind UrlForm = UrlFormKind::Relative;
  bool UseBaseUrlAsRoot = true;
  bool AddProtocolNames = true;
  bool AddProtocolSlashes = true;
  bool CanonicalizeUrls = true;
  bool DeleteScriptLinks = false;
  bool DeleteUnknownProtocols = false;
  bool TargetAdderEnabled = false;
  TargetMode TargetAdderMode = TargetMode::AllExternal;
  std::string TargetUrlMask = "*.jpg";
  std::string TargetName = "_blank";
  // Named after its check box, but it works the other way round: a link's existing target is
  // always rewritten; off, links without a target attribute get none added.
  bool ModifyExistingTargets = true;
  bool AddsMissingTargets() const { return ModifyExistingTargets; }
};

// An address a browser-saved page came from, and the page.
struct SavedFromEntry {
  std::string Url;
  std::int32_t FileIndex = 0;
};

// The saved-from addresses by their letter-case-folded text, each giving the first page saved
// from it. Kept up to date with the SavedFromTable by the saved-from lookup.
struct SavedFromIndex {
  std::unordered_map<std::string, std::int32_t> FirstByUrl;
  std::size_t IndexedCount = 0;  // entries of the SavedFromTable indexed so far
};

// A local link with a fragment, to be checked against its page's anchors once every page has
// been read. Row is the row the analysis made for the same value, or -1.
struct AnchorCheck {
  std::int32_t FileIndex = 0;
  std::int32_t TagPos = 0;
  std::int32_t ValuePos = 0;
  std::int32_t SpanLength = 0;
  std::int32_t QuoteLength = 0;
  std::int32_t Target = 0;  // the page the link leads to
  std::int32_t Row = -1;
  std::string Decoded;   // the value as found, decoded, fragment included
  std::string Fragment;  // the text after the '#'
};

// A fragment that names no element of its page.
struct AnchorReport {
  std::int32_t FileIndex = 0;
  std::int32_t TagPos = 0;
  std::int32_t ValuePos = 0;
  std::int32_t Target = 0;
  std::string Url;         // the value as found, decoded
  std::string Fragment;    // the text after the '#'
  std::string Suggestion;  // the one anchor of the page that differs only in letter case, or empty
};

// The anchors of the pages, as the link search found them (with CheckAnchors).
struct AnchorIndex {
  std::vector<std::vector<std::string>> Names;  // by FileIndex: the ids and A names, sorted
  std::vector<std::uint8_t> Known;              // by FileIndex: the page was read
  std::vector<AnchorCheck> Pending;
};

class InternetChecker;

// A fingerprint of a file's bytes (never 0).
std::uint64_t TextFingerprint(std::span<const std::uint8_t> bytes);

// Everything one user's search works on. The option records are read at the moment of use;
// the wizard keeps them equal to its controls.
class SearchSession {
 public:
  explicit SearchSession(PathStyle style = PathStyle::Posix,
                         std::shared_ptr<FileSystem> fs = nullptr);
  ~SearchSession();
  SearchSession(const SearchSession&) = delete;
  SearchSession& operator=(const SearchSession&) = delete;

  PathStyle pathStyle() const { return FileList.style(); }
  FileSystem& fs() { return *fs_; }

  // The code page of single-byte text; UTF-8 on this platform.
  urlsmith::CodePage CodePage = urlsmith::CodePage::Utf8;

  urlsmith::FileList FileList;

  // Per-file results, indexed by FileIndex (defined for processable files).
  std::vector<urlsmith::FileEncoding> FileEncoding;
  std::int32_t ProcessableCount = 0;
  // The folder of the listed file that lies least deep, ending in a separator; empty when it
  // is still to be computed.
  std::string RootPath;

  // Per file: a fingerprint of the text the link search read (0: not read). Applying refuses
  // a file whose text changed since, because the rows' positions no longer fit it.
  std::vector<std::uint64_t> FileFingerprint;

  std::vector<LinkEntry> LinkTable;
  std::vector<std::int32_t> FixList;
  int LinkCount() const { return static_cast<int>(LinkTable.size()); }
  int FixCount() const { return static_cast<int>(FixList.size()); }

  std::vector<SavedFromEntry> SavedFromTable;
  SavedFromIndex SavedFromLookup;

  SearchOptions Search;
  ProcessingOptions Processing;

  bool InternetCheckOff = false;
  bool SearchBusy = false;
  // Rows of the last search that change an Internet URL that was not checked (a same-named
  // file or a deletion), so that the review can say why.
  int UncheckedInternetChanges = 0;
  // With Search.CheckAnchors: the pages' anchors and the links still to check against them,
  // and the fragments of the last search that name no element.
  AnchorIndex Anchors;
  std::vector<AnchorReport> AnchorReports;

  // The Internet check with its caches; may be absent (then Internet URLs are not checked).
  InternetChecker* internet() { return internet_.get(); }
  void SetInternetChecker(std::unique_ptr<InternetChecker> checker);
  // Puts checker in place of the session's own and hands that back.
  std::unique_ptr<InternetChecker> ExchangeInternetChecker(
      std::unique_ptr<InternetChecker> checker);

  // Appends a row; false (nothing written) when the table is full.
  bool AddRow(LinkEntry row);
  // Records the last row as an automatic protocol fix; false when the list is full.
  bool AddFix(std::int32_t rowIndex);
  // Set when a search stopped because a table was full.
  bool TableFull = false;

  // Run reset, made when a search starts: the rows and fixes are dropped.
  void RunReset();
  // Cache reset, made when the processing options are shown again: the root path, the saved-page
  // addresses and the Internet caches are dropped so the next run computes them anew.
  void CacheReset();

  // The encoding of listed file `index` as the run found it (from the bytes themselves when the
  // run has not looked yet); a big-endian text is swapped to little-endian in place, as every
  // reader of page text expects.
  urlsmith::FileEncoding PrepareText(int index, std::span<std::uint8_t> bytes) const;

  // A text view over a loaded file, in this session's code page.
  TextView View(std::span<const std::uint8_t> bytes, urlsmith::FileEncoding encoding) const {
    return TextView{bytes.data(), static_cast<Pos>(bytes.size()), encoding, CodePage};
  }

 private:
  std::shared_ptr<FileSystem> fs_;
  std::unique_ptr<InternetChecker> internet_;
};

}  // namespace urlsmith
