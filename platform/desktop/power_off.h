// Powering the computer off at the end of the shutdown countdown.
#pragma once

#include <memory>

namespace lumora {

class PowerOff {
 public:
  virtual ~PowerOff() = default;
  virtual void powerOff() = 0;
};

// org.freedesktop.login1.Manager.PowerOff(false) on the system bus. Throws
// std::runtime_error with the bus's message when the call fails.
class LogindPowerOff : public PowerOff {
 public:
  void powerOff() override;
};

// Prints "lumora: power off requested" on standard output and does nothing
// else (tests and the demo).
class PrintingPowerOff : public PowerOff {
 public:
  void powerOff() override;
};

// PrintingPowerOff when the environment variable LUMORA_SHUTDOWN is "print",
// LogindPowerOff otherwise.
std::unique_ptr<PowerOff> makePowerOff();

}  // namespace lumora
