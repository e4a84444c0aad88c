// What a run prints as it goes: the lines read, the calls started and ended with their
// wavelengths, the marks of blocking, and the report at its end.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/output.h"
#include "calls/blocking_stats.h"
#include "calls/call_timeline.h"
#include "routing/path.h"

namespace run {

// Each call writes its text exactly as the console's trace has it; nothing is added
// between calls. Nothing is made for an output that discards it.
class RunTrace {
 public:
  // The output must outlive the trace.
  explicit RunTrace(base::Output& out) : out_(out), on_(!out.discards()) {}

  // Whether anything is written.
  bool on() const { return on_; }

  // A source read a line at this clock: "\nTIME=<clock> ".
  void lineRead(std::int32_t clock) {
    if (!on_) return;
    out_.write("\nTIME=");
    out_.writeInt(clock);
    out_.write(" ");
  }
  // The call the line became: "\n<duration> - <start> ".
  void callRead(std::int32_t duration, std::int32_t start) {
    if (!on_) return;
    out_.write("\n");
    out_.writeInt(duration);
    out_.write(" - ");
    out_.writeInt(start);
    out_.write(" ");
  }
  // "\n\t", the call's path when it has one, then its times marked " H ".
  void callStarts(const calls::Call& call) {
    if (!on_) return;
    out_.write("\n\t");
    if (call.path != nullptr) routing::printPath(*call.path, out_);
    times(call, " H ");
  }
  // The assignment found no wavelength.
  void blocked() {
    if (on_) out_.write(" BLOKEO 0 ");
  }
  // Before the wavelengths of a reservation or a release.
  void hopsBegin() {
    if (on_) out_.write("      ");
  }
  // The live network lacked the hop's fibre (0) or its regenerator (1).
  void updateError(int kind) {
    if (on_) out_.write(kind == 0 ? " BLOK NO ACTUAL0 " : " BLOK NO ACTUAL1 ");
  }
  void hop(std::int32_t wavelength) {
    if (!on_) return;
    out_.writeInt(wavelength);
    out_.write("-");
  }
  // The call's times marked " F ".
  void callEnds(const calls::Call& call) {
    if (on_) times(call, " F ");
  }
  void blockedCallEnds() {
    if (on_) out_.write("Llamada con Bloqueo...");
  }
  // The source holds no call after its start pass.
  void endOfCalls() {
    if (on_) out_.write("\nFin Lista de CALLS ");
  }
  // The blocking report, then the prompt for the key that ends the run.
  void report(const calls::BlockingTypes& types) {
    if (!on_) return;
    calls::printBlockingReport(types, calls::kBlockingTypeCount, out_);
    out_.write("Pulse tecla para continuar...");
  }

 private:
  void times(const calls::Call& call, std::string_view mark) {
    out_.write("\n\t");
    out_.writeInt(call.duration());
    out_.write("-");
    out_.writeInt(call.start());
    out_.write(mark);
  }

  base::Output& out_;
  bool on_;
};

}  // namespace run
