// Work items made on a few threads and taken one after the other in their own order: the link
// search reads and prepares the next files while it scans the current one, and still sees every
// file in list order. At most `window` items are made ahead of the one being taken, so memory
// stays at a few files whatever the size of the site. The taking thread makes items too, when
// the one it takes is not begun yet and while it would otherwise wait: work for N processors
// starts N - 1 workers.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace urlsmith {

template <typename Item>
class OrderedWork {
 public:
  // Makes items 0 to count - 1 with make(k, item, thread) on `workers` threads (0: each item is
  // made on the calling thread when it is taken). The item a slot holds is reused, so make
  // assigns every field it fills. `thread` tells the threads apart, so that each may keep a
  // buffer of its own: 0 to workers - 1 for the workers, `workers` for the calling thread.
  OrderedWork(int count, int workers, int window, std::function<void(int, Item&, int)> make)
      : count_(count),
        window_(window < 1 ? 1 : window),
        make_(std::move(make)),
        slots_(static_cast<std::size_t>(workers > 0 ? window_ : 1)),
        ready_(slots_.size(), false) {
    for (int i = 0; i < workers; ++i)
      threads_.emplace_back([this, i] { Work(i); });
  }

  ~OrderedWork() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    slotFree_.notify_all();
    for (std::thread& t : threads_)
      t.join();
  }

  OrderedWork(const OrderedWork&) = delete;
  OrderedWork& operator=(const OrderedWork&) = delete;

  // Item k, once made. Items are taken in order, each once; taking one releases the one before.
  Item& Take(int k) {
    if (threads_.empty()) {
      make_(k, slots_[0], 0);
      return slots_[0];
    }
    std::unique_lock<std::mutex> lock(mutex_);
    if (k > 0 && taken_ < k) {
      // The item before is done with: its slot may be made again. Idle workers are woken once
      // half the window is free, so that a woken worker makes several items in a row.
      ready_[Slot(k - 1)] = false;
      taken_ = k;
      if (idleWorkers_ > 0 && 2 * (taken_ + window_ - next_) >= window_) slotFree_.notify_one();
    }
    // Until the item is ready, the taker makes the items no worker has begun, as far as the
    // window goes: the item itself when no worker has begun it, else the ones after it, so that
    // its processor is not left idle while a worker makes the item.
    const int taker = static_cast<int>(threads_.size());
    while (!ready_[Slot(k)] && next_ < count_ && next_ < taken_ + window_) {
      const int j = next_++;
      lock.unlock();
      make_(j, slots_[Slot(j)], taker);
      lock.lock();
      ready_[Slot(j)] = true;
    }
    if (!ready_[Slot(k)]) {
      // The taker sleeps until a few items are ready, not just this one: each wake-up costs
      // both threads a switch, and the workers go on making the items meanwhile. Every item
      // up to the one waited for lies in the window, so the workers make it.
      const int last = std::min({k + std::max(window_ / 2, 1), count_, taken_ + window_}) - 1;
      waitedSlot_ = Slot(last);
      takerWaits_ = true;
      itemReady_.wait(lock, [&] { return ready_[Slot(k)] && ready_[waitedSlot_]; });
      takerWaits_ = false;
    }
    return slots_[Slot(k)];
  }

 private:
  std::size_t Slot(int k) const { return static_cast<std::size_t>(k % window_); }

  void Work(int thread) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
      // The threads wake only when there is something to do: a worker sleeps while the window is
      // full, and the taker is woken only when it waits.
      if (!stopping_ && next_ < count_ && next_ >= taken_ + window_) {
        ++idleWorkers_;
        slotFree_.wait(lock,
                       [&] { return stopping_ || next_ >= count_ || next_ < taken_ + window_; });
        --idleWorkers_;
      }
      if (stopping_ || next_ >= count_) return;
      const int k = next_++;
      // Another slot is free as well: let the next worker take it.
      if (idleWorkers_ > 0 && next_ < count_ && next_ < taken_ + window_) slotFree_.notify_one();
      lock.unlock();
      make_(k, slots_[Slot(k)], thread);
      lock.lock();
      ready_[Slot(k)] = true;
      // The taker waits for item taken_ and the one in waitedSlot_.
      if (takerWaits_ && (Slot(k) == Slot(taken_) || Slot(k) == waitedSlot_)) {
        itemReady_.notify_one();
      }
    }
  }

  const int count_;
  const int window_;
  std::function<void(int, Item&, int)> make_;
  std::vector<Item> slots_;
  std::vector<bool> ready_;  // guarded by mutex_, as are the counters below
  std::mutex mutex_;
  std::condition_variable itemReady_;  // the taker waits here for its item
  std::condition_variable slotFree_;   // idle workers wait here for a slot
  int next_ = 0;                       // the next item to make
  int taken_ = 0;                      // the item being taken: items from here on may be made
  int idleWorkers_ = 0;
  bool takerWaits_ = false;
  std::size_t waitedSlot_ = 0;  // the last item the waiting taker waits for
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace urlsmith
