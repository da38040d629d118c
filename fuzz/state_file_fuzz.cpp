// The program state reader ("config.cfg"): any bytes up to the file's 29
// load without fault into the models (a longer file is refused), and the
// state they give is stable: saving it and loading the
// saved bytes into fresh models gives the same bytes again.

#include "autotune/correction_window.h"
#include "autotune/o2_reference.h"
#include "autotune/xrpm_table.h"
#include "core/orvel_broadcaster.h"
#include "core/user_messages.h"
#include "fuzz_input.h"
#include "live/program_state.h"
#include "table/table.h"
#include "table/table_views.h"

using namespace orvel;

namespace {

class NoHost final : public CorrectionWindowHost {
 public:
  [[nodiscard]] bool LiveDataRunning() const override { return false; }
  void SetLogCorrValue(std::int32_t /*value*/) override {}
  void SendToConverterRam() override {}
};

// The main table outlives the inputs (a fresh one per input would spend the
// run mapping its undo history); the models the file fills are new for each.
Table& MainTable() {
  static TOrvelBroadcaster bus;
  static RecordedMessages messages;
  static LatchedModifiers keys;
  static Table table(bus, messages, keys);
  return table;
}

struct Models {
  ProgramStateModels Bound() {
    return {Correction, Reference, Scale, Window, [](std::int32_t) {}, [](std::int32_t) {}};
  }
  DecisionSettings Settings;
  NoHost Host;
  O2ReferenceModel Reference;
  CorrectionWindowModel Correction{MainTable(), nullptr, Settings, Host, Reference};
  XrpmTable Scale;
  WindowSettings Window;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::MemoryFile file;
  RecordedMessages messages;
  Models loaded;
  ProgramState state(loaded.Bound(), messages);
  const bool read = state.LoadState(file.Hold({data, size}));
  fuzz::Require(read == (size <= state_offset::Size), "a state file loads unless longer than 29 bytes");
  if (!read) {
    return 0;
  }
  const ProgramStateBytes saved = EncodeProgramState(loaded.Bound());

  Models again;
  RestoreProgramState(saved, again.Bound());
  fuzz::Require(EncodeProgramState(again.Bound()) == saved, "a saved state loads back to itself");
  return 0;
}
