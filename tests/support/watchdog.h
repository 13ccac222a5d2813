// Ends the process when a run takes longer than any working one could: a deadlock then fails
// the test program instead of hanging CI.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

class Watchdog {
public:
    explicit Watchdog(const char* what, std::chrono::seconds limit = std::chrono::minutes(5))
        : thread([this, what, limit] {
              std::unique_lock<std::mutex> hold(lock);
              if (!finished.wait_for(hold, limit, [this] { return done; })) {
                  std::fprintf(stderr, "watchdog: %s did not finish: deadlock\n", what);
                  std::abort();
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> hold(lock);
            done = true;
        }
        finished.notify_one();
        thread.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    std::thread thread;
};
