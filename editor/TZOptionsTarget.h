#pragma once

#include <string>

class KRegistry;
class TSources;
class TZDisplayWindow;

// What the options dialog edits and what reacts to it.
struct TZOptionsTarget {
    KRegistry& settings;
    // Null until the sources have started: every source then reads as not
    // loaded.
    TSources* sources;
    TZDisplayWindow& display;
    // The application directory: its scripts and its profiles.
    std::string home;
};
