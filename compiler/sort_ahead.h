#pragma once
// Sorting the event stores of tracks a compile has left, while it goes on.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "compiler/tivent.h"

namespace vlm {

// A song is mostly written track by track, so most tracks are complete long
// before the file is written. When the compile leaves a large track, its
// events are frozen and sorted on a thread of its own; when the file is
// written, a store that has not changed since takes that order instead of
// being sorted then. A store that did change is sorted as usual: the work
// ahead is only ever used where it gives the same result.
class SortAhead {
 public:
  SortAhead() = default;
  SortAhead(const SortAhead&) = delete;
  SortAhead& operator=(const SortAhead&) = delete;
  ~SortAhead() { Stop(); }

  // Called when the compile leaves Store's track. Until Stop, events may be
  // added to the store, but it must not be cleared or sorted. A store is
  // taken from OfferFrom events on, and again only once it has doubled since
  // it was last taken, so that a song that moves between tracks often costs
  // at most twice its events in sorting and memory.
  void Offer(Tivent& Store);
  // Ends the work: stores still waiting are left, one being sorted is finished.
  // No store is read after it returns.
  void Stop();
  // Waits until every store offered so far has been sorted, then stops as
  // Stop does: for a caller that wants all the work done rather than soon.
  void Finish();
  // After Stop: gives Store the order found for it, if its sort is done and
  // no event has been added, removed or moved since it was frozen; true then.
  // Safe on several threads at once for different stores.
  bool TakeSorted(Tivent& Store);
  // Stops, forgets every store and starts afresh: for a new compile.
  void Reset();

  static constexpr std::int32_t OfferFrom = 1 << 15;

 private:
  struct Job {
    Tivent* Store;
    Tivent::Frozen Events;
    std::unique_ptr<std::uint64_t[]> Words;  // the sort words, sorted once Done
    bool Done = false;                        // guarded by Lock until Stop
  };
  void SortJobs();

  std::mutex Lock;
  std::condition_variable Wake;     // work for the thread, or the end of it
  std::condition_variable JobEnded;  // for Finish
  std::vector<std::unique_ptr<Job>> Jobs;  // in the order offered; later ones for a store supersede earlier
  std::size_t NextJob = 0;                 // the first job still waiting
  std::size_t Finished = 0;                // jobs ended, sorted or not
  bool Stopping = false;
  bool NoThread = false;                   // the thread could not start: nothing is taken
  std::thread Worker;
};

}  // namespace vlm
