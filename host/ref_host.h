// RefHost: the reference host. Holds the host's state (output lines, string
// variables, numeric variables, datasets and worksheet pages) and answers
// the module's host services through a static trampoline.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bridge/host_blocks.h"
#include "host/workspace.h"

namespace refhost {

class RefHost {
 public:
  // `entry` is the module's XODLL (linked in, or found in a loaded library).
  explicit RefHost(kfio::XodllFunction entry);
  RefHost(const RefHost&) = delete;
  RefHost& operator=(const RefHost&) = delete;
  ~RefHost();

  // ---- Calls into the module, as a script would make them ----
  // Each returns XODLL's status; `flagged` sets bit 0x8000.
  uint32_t SetNumber(const std::string& member, double value, bool flagged = false);
  uint32_t GetNumber(const std::string& member, double& value, bool flagged = false);
  uint32_t SetString(const std::string& member, const std::string& text, bool flagged = false);
  uint32_t GetString(const std::string& member, std::string& text, bool flagged = false);
  uint32_t GetCount(const std::string& member, double& count, bool flagged = false);
  uint32_t SetCount(const std::string& member, double count, bool flagged = false);
  // fum.METHOD(args): `args` is handed over as written (the module may edit it).
  uint32_t Call(const std::string& method, const std::string& args, double& result,
                bool flagged = false);
  // fum.METHOD.MEMBER access: `command` is 17..20 (string value in `text`).
  uint32_t AccessMethodMember(const std::string& methodPath, const std::string& member,
                              uint16_t command, double* number, std::string* text,
                              bool flagged = false);
  // Member listing: empty member name, optional object path.
  uint32_t List(const char* objectName = nullptr, bool flagged = false);
  // Command 30.
  int32_t CallState();
  // Any raw call, for tests of odd commands and arguments.
  uint32_t Raw(const char* objectName, char* memberName, void* value, uint16_t command);

  // ---- Host state ----
  // Lines the module printed (4096), in order; when `echo`, written to stdout
  // instead.
  std::vector<std::string> output;
  bool echo = false;
  void ClearOutput() { output.clear(); }

  // String variables A..Z (4108, 4114).
  std::string StringVar(char letter) const;
  void SetStringVar(char letter, const std::string& text);

  // Numeric variables the evaluator can name.
  std::map<std::string, double> variables;
  // Evaluates an expression the way 4124 does; nullopt when it cannot.
  std::optional<double> Evaluate(const std::string& text) const;
  // The shortest text that reads back as the same double (4154 with "*").
  static std::string FormatNumber(double value);

  // ---- Datasets and worksheet pages (naming rules in host/workspace.h) ----
  // A page of `columns` columns named A, B, ...; null when the name is
  // empty or taken, or `columns` is above kfio::kMaxColumns.
  HostPage* NewPage(const std::string& name, int columns = 1) {
    return workspace_.NewPage(name, columns);
  }
  HostPage* Page(const std::string& name) const { return workspace_.FindPage(name); }
  std::vector<const HostPage*> Pages() const { return workspace_.Pages(); }
  // A free-standing dataset; null when the name is empty or taken.
  HostDataset* NewDataset(const std::string& name) { return workspace_.NewDataset(name); }
  // "<page>_<column>" or a free-standing dataset; null when none (nothing
  // is made, unlike the module's lookup).
  HostDataset* Dataset(const std::string& name) const { return workspace_.FindDataset(name); }
  std::vector<const HostDataset*> Datasets() const { return workspace_.Datasets(); }
  // Temporary datasets the module made and has not released.
  std::size_t LiveTemporaries() const { return workspace_.LiveTemporaries(); }

  // Every service call the module made, in order (opcode only), and the
  // opcodes the host did not know. Per-element services (13312, 13313,
  // 13326 to 13329, 13315, 13324, 13316, 13381 to 13384) are only counted
  // in elementCalls: a large ARead makes one per value. `recordCalls` =
  // false stops the list.
  std::vector<uint32_t> calls;
  std::vector<uint32_t> unknownOpcodes;
  uint64_t elementCalls = 0;
  bool recordCalls = true;
  void ClearCalls() { calls.clear(); unknownOpcodes.clear(); elementCalls = 0; }
  // Text that 4110 refuses (answers -1); empty = refuse nothing.
  std::optional<std::string> refuseText;
  // Host commands the module ran (4100), in order; this host runs none.
  std::vector<std::string> commands;

  // For tests: when set, runs first in every service call, inside the guard
  // that turns an exception into the failure answer, so a test can throw
  // from it in place of a service that fails inside.
  std::function<void(uint32_t opcode)> serviceProbe;

  // The callback handed to XODLL; the context is the RefHost's address.
  // Never throws: a service that throws answers its failure answer.
  static uint64_t Trampoline(uint64_t context, uint32_t opcode, uint64_t a, uint64_t b) noexcept;

 private:
  // One case per opcode; each family's services live in their own file.
  uint64_t Serve(uint32_t opcode, uint64_t a, uint64_t b);
  // The trampoline's path for every call that may throw.
  static uint64_t Guarded(RefHost* host, uint32_t opcode, uint64_t a, uint64_t b) noexcept;
  static uint64_t FailureAnswer(uint32_t opcode);
  uint32_t Access(const char* objectName, const std::string& member, void* value, uint16_t command,
                  bool flagged);

  // Output, string variables and text checks (host/text_services.cpp).
  uint64_t PrintLine(const char* line);
  uint64_t AssignStringVar(const char* text, uint64_t index);
  uint64_t ReadStringVar(char* buffer, uint64_t index) const;
  uint64_t CheckText(const char* text) const;
  // Expressions and number formatting (host/number_services.cpp).
  uint64_t EvaluateInto(const char* text, double* result) const;
  static uint64_t FormatInto(const double* value, kfio::FormatBlock* block);
  // Datasets (host/dataset_services.cpp; the element pair, the bulk
  // transfers' hot path, in host/ref_host.cpp).
  uint64_t FindDatasetInto(const char* name, kfio::DatasetBlock* block);
  uint64_t FindColumnInto(uint32_t opcode, const char* pageName, kfio::DatasetBlock* block);
  uint64_t NewTemporary(const kfio::TempDatasetBlock* block, const char* name);
  uint64_t ReleaseTemporary(uint64_t handle);
  // The per-value services, inline so that the trampoline's fast path for
  // them makes no further call.
  static uint64_t GetElement(uint64_t handle, uint64_t b) {
    auto* block = reinterpret_cast<kfio::ElementBlock*>(b);
    const auto* data = reinterpret_cast<const HostDataset*>(handle);
    if (data == nullptr || block == nullptr || block->index < 0 || block->index >= data->Size()) return 1;
    block->value = data->Value(block->index);
    return 0;
  }
  static uint64_t SetElement(uint64_t handle, uint64_t b) {
    const auto* block = reinterpret_cast<const kfio::ElementBlock*>(b);
    auto* data = reinterpret_cast<HostDataset*>(handle);
    if (data == nullptr || block == nullptr) return 1;
    return data->SetValue(block->index, block->value) ? 0 : 1;
  }
  uint64_t ServeDataset(uint32_t opcode, uint64_t handle, uint64_t b);
  // Pages and columns (host/worksheet_services.cpp).
  uint64_t FindPageHandle(const char* name) const;
  uint64_t ServeColumn(uint32_t opcode, uint64_t handle, uint64_t b);
  // The handle 4099 gives: a page and the host that answers for it, so the
  // row call (opcode 0), which carries the handle in place of the host
  // context, reaches its host. Kept for the host's lifetime.
  struct RowTarget {
    RefHost* host;
    HostPage* page;
  };
  uint64_t RowTargetInto(const char* pageName, uint64_t* handle);
  uint64_t TakeRow(const RowTarget* target, const kfio::RowBlock* row);
  uint64_t RunCommand(const char* command);
  // Anything the host does not offer.
  uint64_t Unknown(uint32_t opcode);

  kfio::XodllFunction entry_;
  std::string stringVars_[26];
  std::vector<char> buffer_;  // kHostStringBuffer bytes for string reads
  Workspace workspace_;
  std::deque<RowTarget> rowTargets_;  // one per page asked for; never moves
};

}  // namespace refhost
