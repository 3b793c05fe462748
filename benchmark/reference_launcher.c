/* The benchmark's reference: what tolOpen.exe does, as a plain C program with no modules and no
 * error model, so that the launcher's own cost can be told from the cost of its platform calls.
 * Same calls, same order: the argument, two registry reads, the program folder, the system
 * folder, open and size the control in place (copy it when short), the current folder, change
 * to the control's folder, DLLSelfRegister of vb5stkit.dll, change back, start the viewer. */
#include <windows.h>

typedef SHORT(WINAPI *SelfRegister)(LPCSTR);

/* out := a & b & c, with kernel32 alone (tolOpen.exe loads no user32 either). */
static char *Join(char *out, const char *a, const char *b, const char *c) {
  lstrcpyA(out, a);
  lstrcatA(out, b);
  return lstrcatA(out, c);
}

static char *Argument(void) {
  char *p = GetCommandLineA();
  if (*p == '"') {
    for (++p; *p != '\0' && *p != '"'; ++p) {
    }
    if (*p == '"') ++p;
  } else {
    while (*p != '\0' && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

/* The default value of HKEY_CLASSES_ROOT\key, or "" when it cannot be read. */
static void ReadDefault(const char *key, char *value, DWORD size) {
  HKEY opened;
  value[0] = '\0';
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return;
  if (RegQueryValueExA(opened, "", NULL, NULL, (BYTE *)value, &size) != ERROR_SUCCESS) value[0] = '\0';
  RegCloseKey(opened);
}

void ReferenceStart(void) {
  char document[MAX_PATH] = "index.html", key[MAX_PATH], type[1024], command[1024];
  char folder[MAX_PATH], system[MAX_PATH], source[MAX_PATH], control[MAX_PATH], saved[MAX_PATH];
  char line[4096];
  const char *argument = Argument(), *dot;
  HANDLE file;
  DWORD size = 0;
  HMODULE toolkit;
  STARTUPINFOA startup;
  PROCESS_INFORMATION process;

  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  if (*argument != '\0') lstrcpynA(document, argument, MAX_PATH);
  dot = document + lstrlenA(document);
  while (dot > document && *dot != '.') --dot;
  Join(key, *dot == '.' ? dot : "", "\\", "");
  ReadDefault(key, type, sizeof type);
  Join(key, type, "\\shell\\open\\command", "");
  ReadDefault(key, command, sizeof command);

  GetModuleFileNameA(NULL, folder, MAX_PATH);
  for (size = lstrlenA(folder); size > 0 && folder[size - 1] != '\\'; --size) {
  }
  folder[size] = '\0';
  size = 0;
  GetSystemDirectoryA(system, MAX_PATH);
  Join(source, folder, "tools\\flash\\flash.ocx", "");
  Join(control, system, "\\macromed\\flash\\flash.ocx", "");
  file = CreateFileA(control, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (file != INVALID_HANDLE_VALUE) {
    size = GetFileSize(file, NULL);
    CloseHandle(file);
  }
  if (size < 0x63000) {
    CreateDirectoryA(Join(saved, system, "\\macromed", ""), NULL);
    Join(saved, system, "\\macromed\\flash", "");
    CreateDirectoryA(saved, NULL);
    CopyFileA(source, control, FALSE);
  }
  GetCurrentDirectoryA(MAX_PATH, saved);
  SetCurrentDirectoryA(Join(line, system, "\\macromed\\flash", ""));
  toolkit = LoadLibraryExA(Join(line, folder, "vb5stkit.dll", ""), NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (toolkit == NULL) toolkit = LoadLibraryA("vb5stkit.dll");
  if (toolkit != NULL) {
    SelfRegister self_register = (SelfRegister)(void (*)(void))GetProcAddress(toolkit, "DLLSelfRegister");
    if (self_register != NULL) self_register(control);
  }
  SetCurrentDirectoryA(saved);

  Join(line, command, " ", folder);
  lstrcatA(line, document);
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  if (CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  ExitProcess(0);
}
