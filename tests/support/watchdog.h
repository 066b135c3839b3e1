// For tests of conditions that used to hold a run forever (a named pipe without its other
// side, a reader that does not read): should the code under test still be waiting after a
// generous minute, the test binary ends with a message instead of hanging.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

namespace zef::testing {

class Watchdog {
public:
    explicit Watchdog(std::string what)
        : what_(std::move(what)), thread_([this] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, std::chrono::minutes(1), [this] { return finished_; })) {
                  std::cerr << "still waiting after a minute: " << what_ << "\n";
                  std::abort();
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_one();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::string what_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

} // namespace zef::testing
