// SPDX-License-Identifier: MIT
#include "backend/web/files.h"

#include <emscripten.h>

EM_ASYNC_JS(int, rallex_web_fetch, (const char* url, const char* path), {
  var source = UTF8ToString(url), target = UTF8ToString(path);
  try {
    if (FS.analyzePath(target).exists) return 1;
    var response = await fetch(source);
    if (!response.ok) return 0;
    var bytes = new Uint8Array(await response.arrayBuffer());
    var dir = target.substring(0, target.lastIndexOf('/'));
    if (dir) FS.mkdirTree(dir);
    FS.writeFile(target, bytes);
    return 1;
  } catch (e) {
    return 0;
  }
});

namespace platform::web {

bool FetchIntoFile(const std::string& url, const std::string& path) {
  return rallex_web_fetch(url.c_str(), path.c_str()) != 0;
}

}  // namespace platform::web

namespace platform::backend {

void FetchDataFile(const std::string& folder, const std::string& path) {
  web::FetchIntoFile(folder + "/" + path.substr(path.find_last_of('/') + 1), path);
}

}  // namespace platform::backend
