// Splitting the URL into the request. Plain cuts in a fixed order, not a URL grammar: the order
// decides how unusual inputs come out.
#include "request/url.h"

#include "request/parse_int.h"
#include "request/text.h"

void SplitUrl(std::string_view url, DownloadRequest& request) {
  std::string rest(url);

  // Any scheme is dropped; without "://" the text is taken as host and path already. A "://"
  // behind a "/" is part of the path (a query that carries another URL), never a scheme's end.
  const std::size_t schemeEnd = rest.find("://");
  if (schemeEnd != std::string::npos && rest.find('/') >= schemeEnd) CutToken(rest, "://");

  std::string host;
  if (rest.find('/') != std::string::npos) {
    host = CutToken(rest, "/");
  } else {
    host = rest;
    rest.clear();
  }

  const std::size_t at = host.find('@');
  if (at != std::string::npos) host.erase(0, at + 1);

  std::int32_t port = 80;
  const std::size_t colon = host.find(':');
  if (colon != std::string::npos) {
    if (!TryParseInt(std::string_view(host).substr(colon + 1), port)) port = 80;
    host = TrimBlanks(std::string_view(host).substr(0, colon));
  }

  request.Host = host;
  request.Port = port;
  request.RemotePath = "/" + rest;
  request.LocalFileName = FileNamePart(request.RemotePath);
}

std::string FileNamePart(std::string_view path) {
  // A copy ends in a zero byte, which the code page's character step relies on.
  const std::string text(path);
  return std::string(FileNameTail(text));
}

std::string_view FileNameTail(std::string_view path) {
  // Walk whole characters, so the second byte of a double-byte character is never taken for
  // a separator.
  const char* const end = path.data() + path.size();
  const char* start = path.data();
  for (const char* p = path.data(); p < end; p = NextCharIn(p, end)) {
    if (*p == '\\' || *p == '/' || *p == ':') start = p + 1;
  }
  return {start, static_cast<std::size_t>(end - start)};
}
