// Times program starts: launch_timer RUNS FOLDER PROGRAM_A ARGUMENT_A PROGRAM_B
// Starts A (with its argument) and B alternately RUNS times each, in FOLDER, waits for each to
// end, and prints the median wall time of each in milliseconds and their ratio A / B.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Seconds(const LARGE_INTEGER& ticks) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(ticks.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds from the start of the program to its end, or a negative number on failure.
double TimeOneRun(const std::wstring& program, const std::wstring& argument, const std::wstring& folder) {
  std::wstring line = L"\"" + program + L"\"" + (argument.empty() ? L"" : L" " + argument);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  LARGE_INTEGER begin, end;
  QueryPerformanceCounter(&begin);
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  QueryPerformanceCounter(&end);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  LARGE_INTEGER elapsed;
  elapsed.QuadPart = end.QuadPart - begin.QuadPart;
  return Seconds(elapsed) * 1000;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: launch_timer RUNS FOLDER PROGRAM_A ARGUMENT_A PROGRAM_B\n");
    return 2;
  }
  const int runs = std::max(1, _wtoi(argv[1]));
  std::vector<double> a, b;
  for (int i = 0; i < runs; ++i) {
    const double time_a = TimeOneRun(argv[3], argv[4], argv[2]);
    const double time_b = TimeOneRun(argv[5], L"", argv[2]);
    if (time_a < 0 || time_b < 0) {
      std::fprintf(stderr, "launch_timer: a program could not be started\n");
      return 1;
    }
    a.push_back(time_a);
    b.push_back(time_b);
  }
  std::printf("runs: %d each, interleaved\n", runs);
  std::printf("median A: %.2f ms\n", Median(a));
  std::printf("median B: %.2f ms\n", Median(b));
  std::printf("ratio A / B: %.2f\n", Median(a) / Median(b));
  return 0;
}
