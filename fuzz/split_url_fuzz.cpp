// SplitUrl on arbitrary text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "net/exchange.h"
#include "request/url.h"
#include "tests/program_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view url = fuzz::AsText(data, size);
  DownloadRequest request;
  request.Host = "stale";
  request.Port = 1234;
  request.LocalFileName = "stale";
  SplitUrl(url, request);

  FUZZ_CHECK(!request.RemotePath.empty() && request.RemotePath[0] == '/', "RemotePath starts with \"/\"",
             url);
  // Everything after the first "/" that follows the scheme is the path, untouched.
  FUZZ_CHECK(url.ends_with(std::string_view(request.RemotePath).substr(1)),
             "RemotePath ends the URL as typed", url);
  FUZZ_CHECK(request.LocalFileName.find('\\') == std::string::npos, "LocalFileName holds no \"\\\"", url);
  FUZZ_CHECK(request.LocalFileName.find_first_of("/:") == std::string::npos,
             "LocalFileName holds no \"/\" or \":\"", url);
  FUZZ_CHECK(request.RemotePath.ends_with(request.LocalFileName), "LocalFileName is the end of RemotePath",
             url);
  FUZZ_CHECK(request.Host.find('/') == std::string::npos, "Host holds no \"/\"", url);
  FUZZ_CHECK(request.Host.find(':') == std::string::npos, "Host holds no \":\"", url);
  const bool portGiven = url.find(':') != std::string_view::npos;
  FUZZ_CHECK(portGiven || request.Port == 80, "without \":\" the port is 80", url);

  // Whatever the path holds, the request is one request line and the two fixed header lines.
  const std::string requestText = RequestText(request.RemotePath);
  const std::size_t frame = test_output::RequestFor("").size();
  const std::string_view sentPath =
      std::string_view(requestText).substr(4, requestText.size() - std::min(requestText.size(), frame));
  FUZZ_CHECK(sentPath.starts_with("/") && requestText == test_output::RequestFor(sentPath),
             "the request has its fixed frame", url);
  bool plain = true;
  for (char c : sentPath) plain = plain && static_cast<unsigned char>(c) > 32 && c != 127;
  FUZZ_CHECK(plain, "the request line carries no control bytes or blanks", url);

  // A URL without a scheme (no "://", or a "/" before it) is parsed exactly like the same URL
  // behind a scheme: a "://" in the path never picks the host.
  const std::size_t found = url.find("://");
  const bool hasScheme = found != std::string_view::npos && url.find('/') >= found;
  if (!hasScheme) {
    DownloadRequest withScheme;
    SplitUrl("ftp://" + std::string(url), withScheme);
    FUZZ_CHECK(withScheme.Host == request.Host && withScheme.Port == request.Port &&
                   withScheme.RemotePath == request.RemotePath &&
                   withScheme.LocalFileName == request.LocalFileName,
               "a scheme in front changes nothing", url);
  }
  // User information in front of the host changes neither Host nor Port. (Blanks in front of a
  // host are trimmed before the user information is cut, so they stay out of this check.)
  const std::size_t hostStart = hasScheme ? found + 3 : 0;
  const std::string_view rest = url.substr(hostStart);
  const bool blankFirst = !rest.empty() && static_cast<unsigned char>(rest[0]) <= 32;
  if (rest.substr(0, rest.find('/')).find('@') == std::string_view::npos && !blankFirst) {
    DownloadRequest withUser;
    SplitUrl(std::string(url.substr(0, hostStart)) + "user:pa$$:word@" + std::string(rest), withUser);
    FUZZ_CHECK(withUser.Host == request.Host && withUser.Port == request.Port &&
                   withUser.RemotePath == request.RemotePath,
               "user information changes neither Host nor Port", url);
  }
  return 0;
}
