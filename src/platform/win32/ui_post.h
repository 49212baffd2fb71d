#pragma once
// Hands work from any thread to the window's thread: a message-only window
// made on that thread runs each closure posted to it there, in order. Once
// it is gone, posts are dropped, so a worker that outlives the window
// changes nothing.
#include <windows.h>

#include <functional>
#include <memory>

namespace velmora::win32 {

class UiPost {
 public:
  using Task = std::function<void()>;
  // Posts to the thread that made the UiPost, from any thread; a poster
  // may outlive it (then it drops what it is given).
  using Poster = std::function<void(Task)>;

  // On the window's thread.
  UiPost();
  ~UiPost();
  UiPost(const UiPost&) = delete;
  UiPost& operator=(const UiPost&) = delete;

  [[nodiscard]] Poster poster() const;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace velmora::win32
