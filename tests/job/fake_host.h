// A dialog for the job: entries set by the test, every box and every dialog
// call recorded in order.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "job/encryption_job.h"

namespace qor::testing {

struct Box {
  std::string text;
  std::string caption;
  unsigned type = 0;
  bool operator==(const Box&) const = default;
};

class FakeHost : public JobHost {
 public:
  // Entries.
  bool fileChosen = true;
  int frequency = 0;
  int fibonacci = 1;
  std::string key = "clave";
  std::string fileName = "(untouched)";
  // The two edits' texts.
  std::string fileEdit;
  std::string keyEdit = "clave";

  // What happened, in order: "box:<caption>", "read:<id>", "end:<status>".
  // Mutable: reading an edit is const on the dialog, the record is not its state.
  mutable std::vector<std::string> events;
  std::vector<Box> boxes;
  std::optional<int> endStatus;

  bool FileChosen() const override { return fileChosen; }
  int Frequency() const override { return frequency; }
  int Fibonacci() const override { return fibonacci; }
  std::string KeyText() const override { return key; }
  void SetKeyText(const std::string& text) override { key = text; }
  void SetFileName(const std::string& text) override { fileName = text; }

  std::string GetDlgItemText(int controlId) const override {
    events.push_back("read:" + std::to_string(controlId));
    return controlId == kFileNameControl ? fileEdit : controlId == kKeyControl ? keyEdit : "";
  }
  void MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
    events.push_back("box:" + caption);
    boxes.push_back({text, caption, type});
  }
  void EndProcess(int status) override {
    events.push_back("end:" + std::to_string(status));
    endStatus = status;
  }
};

}  // namespace qor::testing
