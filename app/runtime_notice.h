#pragma once
// What the user is told when the player window has no Flash object to show the
// movie with, instead of opening a silent, empty window.
#include <optional>
#include <string>

struct RuntimeNotice {
    std::string text;
    int exitCode; // 0: an expected condition (nothing installed); 1: a runtime that failed
};

// None when the object exists. Otherwise the text depends on whether any
// runtime module was there at all (carried by the package or registered on the
// machine) and merely failed to start.
std::optional<RuntimeNotice> RuntimeNoticeFor(bool objectCreated, bool runtimeModuleFound);
