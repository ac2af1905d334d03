// What the scan of one file finds, in the order the analysis takes it. Finding depends on the
// file's text and the options alone, so the scan threads find ahead; the analysis then replays
// the findings on the run's own thread, where the rows, the log and the progress are made.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/analysis.h"
#include "engine/value_store.h"
#include "text/text_types.h"

namespace urlsmith {

// One step of a file's scan: a step of the per-file progress (with or without a poll for ESC
// after it), or an address found, its value read ahead.
struct ScanEvent {
  enum class Kind : std::uint8_t { Progress, ProgressOnly, Url };
  Kind What = Kind::Url;
  bool QuoteFlag = false;  // Url: the whole attribute value is the address
  bool Anchor = false;     // Url: an A tag's href, which the Link Target Adder looks at
  int Step = 0;            // Progress, ProgressOnly: the per-file progress position
  Pos TagPos = 0;
  Pos ValuePos = 0;
  ValueReading Value;
};

// What the Link Target Adder reads of an A tag whose href was found: the href as the tag gives
// it, and its TARGET attribute, if any (the value and where it stands).
struct AnchorTarget {
  std::string Href;
  bool HasTarget = false;
  std::string Target;
  Pos TargetPos = kNone;
  ValueReading TargetValue;
};

struct FileFindings {
  static constexpr std::size_t kKeptEvents = 1024;

  int Range = 0;  // the per-file progress range
  std::vector<ScanEvent> Events;
  // The decoded values that the events' and the anchor targets' readings view.
  ValueStore Values;
  // Pages: the href of the first BASE tag that has one, decoded.
  std::optional<std::string> BaseHref;
  // Pages, with CheckAnchors: the names a fragment may give (ids, A names), sorted.
  std::vector<std::string> AnchorNames;
  // With the Link Target Adder on (ReadAnchorTargets): one for each Url event with Anchor set,
  // in their order.
  std::vector<AnchorTarget> AnchorTargets;

  // Empties the findings for another file. Small lists and the first room of the values are
  // kept, so that a slot that takes file after file does not allocate them anew each time.
  void Clear() {
    Range = 0;
    if (Events.capacity() > kKeptEvents) {
      std::vector<ScanEvent>().swap(Events);
    } else {
      Events.clear();
    }
    Values.Clear();
    BaseHref.reset();
    AnchorNames.clear();
    AnchorTargets.clear();
  }

  void Progress(int step, bool poll = true) {
    ScanEvent e;
    e.What = poll ? ScanEvent::Kind::Progress : ScanEvent::Kind::ProgressOnly;
    e.Step = step;
    Events.push_back(std::move(e));
  }
  void Url(const TextView& text, Pos tagPos, Pos valuePos, bool quoteFlag, bool anchor = false) {
    ScanEvent e;
    e.TagPos = tagPos;
    e.ValuePos = valuePos;
    e.QuoteFlag = quoteFlag;
    e.Anchor = anchor;
    e.Value = ReadFoundValue(text, tagPos, valuePos, Values);
    Events.push_back(std::move(e));
  }
  // An address read by the finder itself (a part of a value).
  void UrlRead(Pos tagPos, Pos valuePos, bool quoteFlag, ValueReading reading) {
    ScanEvent e;
    e.TagPos = tagPos;
    e.ValuePos = valuePos;
    e.QuoteFlag = quoteFlag;
    e.Value = std::move(reading);
    Events.push_back(std::move(e));
  }
};

}  // namespace urlsmith
