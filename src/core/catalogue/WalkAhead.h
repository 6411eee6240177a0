#pragma once

#include "core/catalogue/TreeWalk.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Called on the sink's thread once the walk has handed nothing over for WalkIdleAfter since the sink's
// last batch (a slow disk): the time to finish what the sink holds open. False stops the walk.
using WalkIdle = std::function<bool()>;
inline constexpr std::chrono::milliseconds WalkIdleAfter{50};

// Walks as WalkTree does, but on a thread of its own, while the calling thread hands what was found to
// `sink`: the walk waits on the file system while the sink works in the program, and on two processors
// each goes on while the other works. The sink gets everything found since its last batch, in the walk's
// order (a few hundred entries at a time while it keeps up); the walk waits while `mostWaiting` entries
// wait for the sink. The outcome is WalkTree's, and SinkFailed once the sink (or `idle`) answers false:
// the walk then stops at its next handover.
WalkOutcome WalkTreeAhead(const std::string& root, const std::vector<std::string>& otherMounts,
                          const std::atomic<bool>& cancel, const EntrySink& sink, const WalkIdle& idle = {},
                          std::size_t mostWaiting = 8192);

// The same for any walk: `walk` runs on a thread of its own and hands its batches to the sink it is given.
using Walk = std::function<WalkOutcome(const EntrySink& sink)>;
WalkOutcome WalkAhead(const Walk& walk, const EntrySink& sink, const WalkIdle& idle = {},
                      std::size_t mostWaiting = 8192);
