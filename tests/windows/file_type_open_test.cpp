// What only a real shell shows: a course document whose path holds a blank, opened through the
// .tv1 type that the file-type build registered, reaches the Download program whole.
#include "tests/windows/wine.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/conformance/machine.h"

namespace tests {
namespace {

TEST(FileTypeOpenTest, ADocumentWithABlankReachesTheProgramWhole) {
  const auto machine = conformance::NewMachine();
  const std::u16string disc = machine->DiscRoot() + u"\\My Course";
  machine->MakeDisc(disc, conformance::Build::kFileType);
  machine->CopyViewer(disc + u"\\Download\\tolDownload.exe");
  machine->Launch(disc, u"", false);
  const std::u16string document = disc + u"\\Kapitola 1.tv1";
  machine->WriteFile(document, 16);

  const std::u16string record = disc + u"\\opened.txt";
  machine->SetEnvironment(u"TOLOPEN_RECORDER_OUT", record);
  const std::wstring file(document.begin(), document.end());
  SHELLEXECUTEINFOW open{};
  open.cbSize = sizeof open;
  open.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  open.lpVerb = L"open";
  open.lpFile = file.c_str();
  open.nShow = SW_SHOWNORMAL;
  ASSERT_TRUE(ShellExecuteExW(&open)) << "the shell opens a .tv1 document";
  if (open.hProcess != nullptr) {
    WaitForSingleObject(open.hProcess, 30000);
    CloseHandle(open.hProcess);
  }
  std::ifstream opened(std::filesystem::path(record), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(opened)), std::istreambuf_iterator<char>());
  const std::u16string text(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
  const std::u16string command_line = text.substr(0, text.find(u'\n'));
  EXPECT_EQ(conformance::Show(command_line),
            conformance::Show(u"\"" + disc + u"\\Download\\tolDownload.exe\" \"" + document + u"\""))
      << "the program receives the document as one argument";
}

}  // namespace
}  // namespace tests
