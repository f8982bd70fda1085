#include "serial/modem_control.h"

#include <utility>

namespace comtrax {

ModemControl::ModemControl(SerialPort& port, Schedule schedule) : port_(port), schedule_(std::move(schedule))
{}

void ModemControl::setSettings(const ModemSettings& settings)
{
    const ModemSettings before = settings_;
    settings_ = settings;
    if (!ModemSettings::validPulseMs(settings_.resetPulseMs))
        settings_.resetPulseMs = before.resetPulseMs;
    if (!ModemSettings::validPulseMs(settings_.breakMs))
        settings_.breakMs = before.breakMs;
}

void ModemControl::portOpened()
{
    ++session_;
    pulsing_ = false;
    breaking_ = false;
    dtr_ = settings_.dtrOnConnect;
    rts_ = settings_.rtsOnConnect;
    port_.setDtr(dtr_);
    if (!rtsOwnedByDriver())
        port_.setRts(rts_);
}

void ModemControl::portClosing()
{
    if (breaking_)
        endBreak(session_);
    if (pulsing_)
        endPulse(session_);
}

void ModemControl::portClosed()
{
    ++session_;
    pulsing_ = false;
    breaking_ = false;
}

bool ModemControl::setDtr(bool on)
{
    if (!open())
        return false;
    dtr_ = on;
    // A pulse under way restores the line to this state when it ends.
    if (!(pulsing_ && pulseDtr_))
        port_.setDtr(on);
    return true;
}

bool ModemControl::setRts(bool on)
{
    if (!open() || rtsOwnedByDriver())
        return false;
    rts_ = on;
    if (!(pulsing_ && pulseRts_))
        port_.setRts(on);
    return true;
}

bool ModemControl::pulseReset()
{
    return pulseLines(settings_.resetPulseDtr, settings_.resetPulseRts);
}

bool ModemControl::pulseLines(bool dtr, bool rts)
{
    const bool dropDtr = dtr;
    const bool dropRts = rts && !rtsOwnedByDriver();
    if (!open() || pulsing_ || !schedule_ || !(dropDtr || dropRts))
        return false;
    pulsing_ = true;
    pulseDtr_ = dropDtr;
    pulseRts_ = dropRts;
    if (pulseDtr_)
        port_.setDtr(false);
    if (pulseRts_)
        port_.setRts(false);
    const unsigned session = session_;
    schedule_(settings_.resetPulseMs, [this, session] { endPulse(session); });
    return true;
}

void ModemControl::endPulse(unsigned session)
{
    if (session != session_ || !pulsing_)
        return;
    pulsing_ = false;
    // Back to what the user had, which a toggle during the pulse may have changed.
    if (pulseDtr_)
        port_.setDtr(dtr_);
    if (pulseRts_)
        port_.setRts(rts_);
}

bool ModemControl::sendBreak()
{
    if (!open() || breaking_ || !schedule_)
        return false;
    breaking_ = true;
    port_.setBreak(true);
    const unsigned session = session_;
    schedule_(settings_.breakMs, [this, session] { endBreak(session); });
    return true;
}

void ModemControl::endBreak(unsigned session)
{
    if (session != session_ || !breaking_)
        return;
    breaking_ = false;
    port_.setBreak(false);
}

ModemLines ModemControl::lines()
{
    if (!open())
        return {};
    return port_.modemLines();
}

}  // namespace comtrax
