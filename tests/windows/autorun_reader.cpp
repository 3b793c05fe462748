// Reads an autorun.inf as Windows' autorun does, through the profile functions: prints the
// [autorun] section's open= and label= as UTF-8, one per line. The file is the first argument.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
  char bytes[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
  return bytes;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  for (const wchar_t* key : {L"open", L"label"}) {
    wchar_t value[512] = {};
    GetPrivateProfileStringW(L"autorun", key, L"", value, 512, argv[1]);
    std::printf("%s\n", Utf8(value).c_str());
  }
  return 0;
}
