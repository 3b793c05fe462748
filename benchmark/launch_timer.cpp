// Times program starts: launch_timer RUNS FOLDER ARGUMENT PROGRAM_1 PROGRAM_2...
// Starts each program in turn with the argument, RUNS rounds (every other one in reverse order),
// in FOLDER, waits for each to end, and prints the median wall time of each in milliseconds and
// the first one's ratio to each.
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

// Waits until every process of the job has ended (at most ten seconds).
void AwaitJob(HANDLE job) {
  for (int i = 0; i < 2000; ++i) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting,
                                   nullptr) ||
        accounting.ActiveProcesses == 0) {
      return;
    }
    Sleep(5);
  }
}

// Milliseconds from the start of the program to its end, or a negative number on failure. What
// the program starts (a launcher's viewer) runs in the same job and has ended before this
// returns, so that it does not run into the next measurement.
double TimeOneRun(const std::wstring& program, const std::wstring& argument, const std::wstring& folder) {
  std::wstring line = L"\"" + program + L"\"" + (argument.empty() ? L"" : L" " + argument);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const HANDLE job = CreateJobObjectW(nullptr, nullptr);
  LARGE_INTEGER begin, end;
  QueryPerformanceCounter(&begin);
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      folder.c_str(), &startup, &process)) {
    CloseHandle(job);
    return -1;
  }
  AssignProcessToJobObject(job, process.hProcess);
  ResumeThread(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  QueryPerformanceCounter(&end);
  AwaitJob(job);
  CloseHandle(job);
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
  if (argc < 5) {
    std::fprintf(stderr, "usage: launch_timer RUNS FOLDER ARGUMENT PROGRAM_1 PROGRAM_2...\n");
    return 2;
  }
  const int runs = std::max(1, _wtoi(argv[1]));
  const int programs = argc - 4;
  std::vector<std::vector<double>> times(programs);
  for (int i = 0; i < runs; ++i) {
    // Every other round runs the programs in reverse order, so that none always follows the same.
    for (int k = 0; k < programs; ++k) {
      const int p = i % 2 == 0 ? k : programs - 1 - k;
      const double time = TimeOneRun(argv[4 + p], argv[3], argv[2]);
      if (time < 0) {
        std::fprintf(stderr, "launch_timer: %ls could not be started\n", argv[4 + p]);
        return 1;
      }
      times[p].push_back(time);
    }
  }
  std::printf("runs: %d each, interleaved\n", runs);
  for (int p = 0; p < programs; ++p) std::printf("median %d: %.2f ms\n", p + 1, Median(times[p]));
  for (int p = 1; p < programs; ++p) {
    std::printf("ratio 1 / %d: %.2f\n", p + 1, Median(times[0]) / Median(times[p]));
  }
  return 0;
}
