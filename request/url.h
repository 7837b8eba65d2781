// The one download of a run, split out of the URL the user typed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct DownloadRequest {
  std::string Host;
  std::int32_t Port = 80;
  std::string RemotePath = "/";
  std::string LocalFileName;
};

void SplitUrl(std::string_view url, DownloadRequest& request);

// The file-name part of a path: the text after the last "\" or ":" once "/" counts as "\".
std::string FileNamePart(std::string_view path);
// The same part as a view into path, for a path that a zero byte follows (a std::string's text,
// or fixed storage); it needs no memory.
std::string_view FileNameTail(std::string_view path);
