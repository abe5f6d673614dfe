#include "compiler/sort_ahead.h"

#include <new>
#include <system_error>

#include "compiler/tivent_sort.h"

namespace vlm {

// The job is made here, on the compiling thread, which alone changes the
// store's list of chunks that freezing reads. A job still waiting for the
// same store is dropped.
void SortAhead::Offer(Tivent& Store) {
  const std::int32_t count = Store.Count();
  if (count < OfferFrom || NoThread) return;
  const std::lock_guard<std::mutex> hold(Lock);
  if (Stopping) return;
  std::int32_t last = 0;
  for (const auto& job : Jobs)
    if (job->Store == &Store) last = job->Events.Count();
  if (count / 2 < last) return;
  auto job = std::make_unique<Job>();
  try {
    job->Store = &Store;
    job->Events = Store.Freeze();
    job->Words = std::make_unique_for_overwrite<std::uint64_t[]>(static_cast<std::size_t>(count));
    Jobs.reserve(Jobs.size() + 1);
  } catch (const std::bad_alloc&) {
    return;  // no room to sort ahead: the store is sorted with the rest
  }
  for (std::size_t k = NextJob; k < Jobs.size(); ++k)
    if (Jobs[k]->Store == &Store) Jobs[k]->Words.reset();
  Jobs.push_back(std::move(job));
  if (!Worker.joinable()) {
    try {
      Worker = std::thread([this] { SortJobs(); });
    } catch (const std::system_error&) {
      NoThread = true;
      Jobs.clear();
      NextJob = 0;
      Finished = 0;
      return;
    }
  }
  Wake.notify_one();
}

// A job that fails (no memory for the sort's own lists) is left undone.
void SortAhead::SortJobs() {
  std::unique_lock<std::mutex> hold(Lock);
  for (;;) {
    Wake.wait(hold, [this] { return Stopping || NextJob < Jobs.size(); });
    if (Stopping) return;
    Job& job = *Jobs[NextJob++];
    if (!job.Words) {  // superseded
      ++Finished;
      JobEnded.notify_all();
      continue;
    }
    hold.unlock();
    bool sorted = true;
    try {
      job.Events.ToSortWords(job.Words.get());
      QuicksortByTime(job.Words.get(), job.Events.Count());
    } catch (const std::bad_alloc&) {
      sorted = false;
    }
    hold.lock();
    job.Done = sorted;
    ++Finished;
    JobEnded.notify_all();
  }
}

void SortAhead::Finish() {
  {
    std::unique_lock<std::mutex> hold(Lock);
    JobEnded.wait(hold, [this] { return Finished == Jobs.size() || !Worker.joinable(); });
  }
  Stop();
}

void SortAhead::Stop() {
  {
    const std::lock_guard<std::mutex> hold(Lock);
    Stopping = true;
  }
  Wake.notify_one();
  if (Worker.joinable()) Worker.join();
}

// After Stop the jobs no longer change, so reading them needs no lock; each
// store is taken by one thread, which alone touches its jobs.
bool SortAhead::TakeSorted(Tivent& Store) {
  for (auto k = Jobs.size(); k-- > 0;) {
    Job& job = *Jobs[k];
    if (job.Store != &Store) continue;
    const bool taken = job.Done && Store.TakeSorted(job.Events, job.Words.get());
    job.Words.reset();
    return taken;
  }
  return false;
}

void SortAhead::Reset() {
  Stop();
  Jobs.clear();
  NextJob = 0;
  Finished = 0;
  Stopping = false;
  NoThread = false;
}

}  // namespace vlm
