#include "lookup/response_reader.h"

namespace pelorin {
namespace {

constexpr std::string_view VideoMarker = "<video>";
constexpr std::string_view NoVideoPrologue = "<root></root>";

// Cuts at every marker; a marker at the very end opens no block.
std::vector<std::string_view> CutIntoPieces(std::string_view answer) {
  std::vector<std::string_view> pieces;
  if (answer.empty()) return pieces;
  std::size_t pieceStart = 0;
  int at = 1;
  while (true) {
    int found = SearchText(answer, VideoMarker, at);
    if (found == -1) break;
    std::size_t markerIndex = static_cast<std::size_t>(found - 1);
    pieces.push_back(answer.substr(pieceStart, markerIndex - pieceStart));
    pieceStart = markerIndex + VideoMarker.size();
    at = static_cast<int>(pieceStart + 1);
  }
  if (pieceStart < answer.size() || pieces.empty()) pieces.push_back(answer.substr(pieceStart));
  return pieces;
}

}  // namespace

const char* AnswerStatusName(AnswerStatus status) {
  switch (status) {
    case AnswerStatus::NoVideo: return "NoVideo";
    case AnswerStatus::VideosFound: return "VideosFound";
    case AnswerStatus::TooFewPieces: return "TooFewPieces";
  }
  return "TooFewPieces";
}

Text TextBetween(std::string_view text, std::string_view opening, std::string_view closing) {
  int open = SearchText(text, opening, 1);
  if (open == -1) return {};
  const int after = open + static_cast<int>(opening.size());
  int close = SearchText(text, closing, after);
  if (close == -1) return {};
  return Text(text.substr(static_cast<std::size_t>(after - 1), static_cast<std::size_t>(close - after)));
}

Text TagContent(std::string_view text, std::string_view name) {
  std::string opening = "<";
  opening.append(name).append(">");
  std::string closing = "</";
  closing.append(name).append(">");
  return TextBetween(text, opening, closing);
}

Text StripCdata(std::string_view field) {
  if (field.size() <= 12) return {};
  return Text(field.substr(9, field.size() - 12));
}

LookupAnswer ReadLookupResponse(std::string_view answer) {
  LookupAnswer result;
  const std::vector<std::string_view> pieces = CutIntoPieces(answer);
  if (pieces.empty()) {
    result.status = AnswerStatus::TooFewPieces;
    return result;
  }
  if (pieces[0] == NoVideoPrologue) {
    result.status = AnswerStatus::NoVideo;
    return result;
  }
  if (pieces.size() == 1) {
    result.status = AnswerStatus::TooFewPieces;
    return result;
  }
  result.status = AnswerStatus::VideosFound;
  const std::string_view first = pieces[1];
  const Text site = StripCdata(TagContent(first, "site"));
  const Text page = StripCdata(TagContent(first, "playurl"));
  result.thumbnailAddress = StripCdata(TagContent(first, "img"));
  result.rows.reserve(pieces.size() - 1);
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    const std::string_view block = pieces[i];
    VideoRow row;
    row.name = StripCdata(TagContent(block, "title")) + "." + TextBetween(block, "<ftype>", "</ftype>");
    row.file = StripCdata(TagContent(block, "furl"));
    row.site = site;
    row.quality = StripCdata(TagContent(block, "quality"));
    row.size = TextBetween(block, "</seconds><size>", "</size>");
    row.duration = TextBetween(block, "<time>", "</time>");
    row.page = page;
    result.rows.push_back(std::move(row));
  }
  return result;
}

}  // namespace pelorin
