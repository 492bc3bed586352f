#pragma once

#include "platform/automation/AutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>

// "Harlune.GenTimers": script timers. Script timer id runs as the main window's timer id + 1000,
// whose expiry raises TimerTick(id) once. Only ids 0 to 8999 are script timers: others would
// reach the main frame's own timers (998 retries a scan start, 999 closes the program) or
// timers nobody stops. GUI thread only.
class I_GenTimers : public platform::automation::AutomationObject
{
public:
    static constexpr int16_t kFirstId = 0;
    static constexpr int16_t kLastId = 8999;

    static I_GenTimers* create() { return new I_GenTimers(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    // FALSE, touching no timer, for an id outside 0 to 8999 or a negative period.
    bool SetTimer(int16_t id, int32_t msec);
    // FALSE, touching no timer, for an id outside 0 to 8999.
    bool KillTimer(int16_t id);

private:
    I_GenTimers();
    ~I_GenTimers() override = default;
};
