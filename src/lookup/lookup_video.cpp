#include "lookup/lookup_video.h"

#include "lookup/lookup_address.h"
#include "lookup/lookup_text.h"
#include "text/encoding.h"

namespace pelorin {

LookupOutcome LookupVideo(Toolkit& toolkit, WebAccess& web) {
  return LookupVideo(toolkit, web, ResolverHost());
}

LookupOutcome LookupVideo(Toolkit& toolkit, WebAccess& web, const Text& resolverHost) {
  LookupOutcome outcome;
  toolkit.DeleteAllRows();
  const Text lookupAddress = BuildLookupAddress(toolkit.EditText(), resolverHost);
  const Bytes body = WebRequest(web, lookupAddress);
  // The window may have been closed while the request was waited for.
  if (!toolkit.WindowAlive()) {
    outcome.status = "WindowClosed";
    return outcome;
  }

  const Bytes converted = Utf8ToGbk(body);
  if (converted.Empty()) {
    toolkit.SetLabelCaption(NotFoundMessage());
    return outcome;
  }
  const LookupAnswer answer = ReadLookupResponse(TextOfBytes(converted));
  outcome.status = AnswerStatusName(answer.status);
  // An answer that is neither the no-video answer nor holds a video block (an error page, a
  // cut-off answer) ends like every other lookup without rows.
  if (answer.status != AnswerStatus::VideosFound) {
    toolkit.SetLabelCaption(NotFoundMessage());
    return outcome;
  }

  outcome.thumbnailAddress = answer.thumbnailAddress;
  const Bytes thumbnail = WebRequest(web, answer.thumbnailAddress);
  if (!toolkit.WindowAlive()) {
    outcome.status = "WindowClosed";
    return outcome;
  }
  toolkit.SetPicture(thumbnail);

  for (const VideoRow& row : answer.rows) {
    const int index = toolkit.AppendRow(row.name);
    toolkit.SetCellText(index, 1, row.file);
    toolkit.SetCellText(index, 2, row.site);
    toolkit.SetCellText(index, 3, row.quality);
    toolkit.SetCellText(index, 4, row.size);
    toolkit.SetCellText(index, 5, row.duration);
    toolkit.SetCellText(index, 6, row.page);
  }
  toolkit.SetLabelCaption(toolkit.CellText(0, 0));
  return outcome;
}

}  // namespace pelorin
