#pragma once

#include <QDateTime>
#include <functional>

// The suite's current date and time.
QDateTime vko_Now();

// Replaces the clock (tests fix it); an empty function restores the system clock.
// Hands back the clock it replaces.
std::function<QDateTime()> VKO_SetClock(std::function<QDateTime()> AClock);
