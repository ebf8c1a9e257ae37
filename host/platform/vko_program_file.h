#pragma once

#include <QString>

// The program file of the running process with every symbolic link resolved: /usr/bin/quandrix
// when it runs from an installation, the build's quandrix otherwise. A scheduled run is to start
// this file, so that timers follow the installation that wrote them. Empty before the
// application object exists.
QString VKO_ProgramFile();
