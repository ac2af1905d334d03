// The JSON plan of a review over rows made from the input: always exactly one valid JSON value
// in well-formed UTF-8, whatever bytes the paths, URLs and replacements hold.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "json_check.h"
#include "results/edit_result.h"
#include "results/plan_json.h"
#include "results/result_list.h"

using namespace urlsmith;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  SearchSession session;
  const int files = in.ConsumeIntegralInRange(0, 4);
  for (int i = 0; i < files; ++i) {
    session.FileList.Append("/s/" + in.ConsumeRandomLengthString(40));
    if (in.ConsumeBool()) session.FileList.SetReferenced(i);
  }
  const int rows = in.ConsumeIntegralInRange(0, 24);
  for (int i = 0; i < rows; ++i) {
    LinkEntry row;
    row.FileIndex = in.ConsumeIntegralInRange(-1, 5);
    row.TagPos = in.ConsumeIntegralInRange(-2, 100);
    row.ValuePos = in.ConsumeIntegralInRange(-1, 100);
    row.SpanLength = in.ConsumeIntegralInRange(0, 40);
    row.QuoteLength = in.ConsumeIntegralInRange(0, 2);
    row.Url = in.ConsumeRandomLengthString(40);
    row.Replacement = in.ConsumeRandomLengthString(40);
    session.LinkTable.push_back(std::move(row));
    if (in.ConsumeBool()) session.FixList.push_back(i);
  }
  VectorResultList list;
  ResultStep step(session, list);
  step.Options.AllowLinkDeletion = in.ConsumeBool();
  step.Options.HideDelete = in.ConsumeBool();
  step.Options.HideReplace = in.ConsumeBool();
  step.Options.HideTarget = in.ConsumeBool();
  step.Options.HideOrphan = in.ConsumeBool();
  step.Options.MakeBackups = in.ConsumeBool();
  step.Options.SortMode = static_cast<SortModeKind>(in.ConsumeIntegralInRange(0, 2));
  ShowResults(step);
  if (list.Count() > 0 && in.ConsumeBool()) {
    list.SetSelection(in.ConsumeIntegralInRange(0, list.Count() - 1));
    SelectionChanged(step);
    step.Editor.Text = in.ConsumeRandomLengthString(40);
    step.Editor.Relative = in.ConsumeBool();
    session.Processing.CanonicalizeUrls = in.ConsumeBool();
    ApplyEdit(step);
  }
  if (!fuzzing::IsJson(PlanJson(step))) std::abort();
  ChangeSortMode(step, static_cast<SortModeKind>(in.ConsumeIntegralInRange(0, 2)));
  if (!fuzzing::IsJson(PlanJson(step))) std::abort();
  return 0;
}
