#include "cli/interruption.h"

#include <atomic>
#include <cstring>
#include <iostream>

#include "job/output_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace qor::cli {
namespace {

// Long enough for any block to end; short enough for a user who waits.
constexpr unsigned kGraceSeconds = 2;

// The exit status less 128, and its name; 0 until an interruption.
std::atomic<int> interruption{0};

// SetOutputInProgress()'s name, in two buffers used in turn so that a
// handler never reads one being filled.
constexpr std::size_t kNameSize = 4096;
char names[2][kNameSize];
std::atomic<const char*> outputInProgress{nullptr};
int nextName = 0;

const char* SignalName(int number) {
#ifdef _WIN32
  return number == 2 ? "Ctrl-C" : number == 21 ? "Ctrl-Break" : "console closed";
#else
  return number == SIGINT ? "SIGINT" : number == SIGTERM ? "SIGTERM" : number == SIGHUP ? "SIGHUP" : "signal";
#endif
}

#ifndef _WIN32
void WriteText(const char* text) {
  if (write(STDERR_FILENO, text, std::strlen(text)) < 0) return;
}

// Only async-signal-safe calls from here: unlink, write, _exit.
extern "C" void EndBlockedRun(int) {
  const int number = interruption.load();
  if (const char* temporary = PendingTemporaryName()) unlink(temporary);
  WriteText("qor: interrupted (");
  WriteText(SignalName(number));
  WriteText(")");
  if (const char* output = outputInProgress.load()) {
    WriteText("; ");
    WriteText(output);
    WriteText(" not written");
  }
  WriteText("\n");
  _exit(128 + number);
}

extern "C" void RecordInterruption(int number) {
  int none = 0;
  if (interruption.compare_exchange_strong(none, number)) {
    alarm(kGraceSeconds);  // SIGALRM then ends a run that did not stop
  } else {
    EndBlockedRun(0);  // a second interruption does not wait
  }
}
#else
BOOL WINAPI RecordConsoleEvent(DWORD event) {
  int number = 0;
  switch (event) {
    case CTRL_C_EVENT: number = 2; break;
    case CTRL_BREAK_EVENT: number = 21; break;
    case CTRL_CLOSE_EVENT: number = 1; break;
    default: return FALSE;
  }
  int none = 0;
  interruption.compare_exchange_strong(none, number);
  // The process ends when this returns from a close: give the run the time
  // to stop and remove its temporary (the system allows about five seconds).
  if (event == CTRL_CLOSE_EVENT) Sleep(kGraceSeconds * 2000);
  return TRUE;
}
#endif

}  // namespace

void CatchInterruptions() {
#ifdef _WIN32
  SetConsoleCtrlHandler(RecordConsoleEvent, TRUE);
#else
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  action.sa_handler = RecordInterruption;
  for (int number : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal ignored from the start stays so (nohup; Ctrl-C and a job
    // started in the background).
    struct sigaction inherited {};
    if (sigaction(number, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN) continue;
    sigaction(number, &action, nullptr);
  }
  action.sa_handler = EndBlockedRun;
  sigaction(SIGALRM, &action, nullptr);
#endif
}

bool Interrupted() { return interruption.load() != 0; }

int InterruptedStatus() { return 128 + interruption.load(); }

void SetOutputInProgress(const std::string& printedName) {
  if (printedName.empty() || printedName.size() >= kNameSize) {
    outputInProgress.store(nullptr);
    return;
  }
  char* buffer = names[nextName];
  nextName ^= 1;
  std::memcpy(buffer, printedName.c_str(), printedName.size() + 1);
  outputInProgress.store(buffer);
}

Progress StopOnInterruption(Progress inner) {
  return [inner = std::move(inner)](std::int64_t done, std::int64_t total) {
    return GoOn(inner, done, total) && !Interrupted();
  };
}

void ReportInterruption(const std::string& what) {
  std::cerr << "qor: interrupted (" << SignalName(interruption.load()) << "); " << what << std::endl;
}

}  // namespace qor::cli
