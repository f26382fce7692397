// Message queues: posting versus sending, retrieval order and filters, the
// quit message, and sending across threads.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "window_log.h"

using namespace platform_test;
using namespace std::chrono_literals;

namespace {

constexpr UINT WM_TEST_A = WM_USER + 1;
constexpr UINT WM_TEST_B = WM_USER + 2;

// Empties this thread's queue, including a pending quit flag.
void drainQueue() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

class Messages : public ::testing::Test {
 protected:
  void SetUp() override {
    drainQueue();
    clearLog();
    window = createLogged("messages", WS_POPUP, nullptr);
    ASSERT_NE(window, nullptr);
    clearLog();
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    drainQueue();
    clearLog();
  }
  HWND window = nullptr;
};

// A window owned by a thread of its own that pumps messages until WM_QUIT.
class WindowThread {
 public:
  explicit WindowThread(const char* title) {
    std::promise<std::pair<HWND, DWORD>> ready;
    auto created = ready.get_future();
    thread_ = std::thread([title, &ready] {
      HWND window = createLogged(title, WS_POPUP, nullptr);
      ready.set_value({window, GetCurrentThreadId()});
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
      if (IsWindow(window)) DestroyWindow(window);
    });
    std::tie(window, threadId) = created.get();
  }
  ~WindowThread() {
    PostThreadMessageA(threadId, WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND window;
  DWORD threadId;

 private:
  std::thread thread_;
};

TEST_F(Messages, SendCallsTheProcedureAtOnceAndPostWaitsForDispatch) {
  answerWith(WM_TEST_A, [](HWND, WPARAM wParam, LPARAM) { return static_cast<LRESULT>(wParam * 2); });
  EXPECT_EQ(SendMessageA(window, WM_TEST_A, 21, 0), 42);
  ASSERT_EQ(loggedMessages().size(), 1u);

  ASSERT_TRUE(PostMessageA(window, WM_TEST_B, 7, 8));
  EXPECT_EQ(loggedMessages().size(), 1u) << "a posted message runs only when dispatched";
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.hwnd, window);
  EXPECT_EQ(msg.message, WM_TEST_B);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_EQ(msg.lParam, 8);
  DispatchMessageA(&msg);
  ASSERT_EQ(loggedMessages().size(), 2u);
  EXPECT_EQ(loggedMessages().back().message, WM_TEST_B);
}

TEST_F(Messages, PostedMessagesComeInOrderAndQuitOnlyAfterThem) {
  PostQuitMessage(3);
  PostMessageA(window, WM_TEST_A, 1, 0);
  PostThreadMessageA(GetCurrentThreadId(), WM_TEST_B, 2, 0);
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_TEST_A);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_TEST_B);
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE) << "WM_QUIT ends the loop";
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "the quit is reported once";
}

TEST_F(Messages, PeekLeavesOrRemovesAndFiltersByWindowAndRange) {
  HWND other = createLogged("other", WS_POPUP, nullptr);
  PostMessageA(other, WM_TEST_A, 0, 0);
  PostMessageA(window, WM_TEST_B, 0, 0);
  PostMessageA(window, WM_TEST_A, 0, 0);

  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.hwnd, other);
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_TEST_B) << "the first message for that window";
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_TEST_A, WM_TEST_A, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, other) << "other's message was left in the queue by PM_NOREMOVE";
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, window);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  DestroyWindow(other);
}

TEST_F(Messages, InvalidWindowsAreRefusedAndTheirMessagesDropped) {
  PostMessageA(window, WM_TEST_A, 0, 0);
  DestroyWindow(window);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_TEST_A, WM_TEST_A, PM_REMOVE))
      << "messages for a destroyed window are discarded";

  SetLastError(0);
  EXPECT_FALSE(PostMessageA(window, WM_TEST_A, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(SendMessageA(window, WM_TEST_A, 0, 0), 0);
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x1234), WM_TEST_A, 0, 0));
  EXPECT_EQ(DispatchMessageA(nullptr), 0);
  EXPECT_FALSE(PostThreadMessageA(0xFFFFFFF0u, WM_TEST_A, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));
}

TEST_F(Messages, TranslateMessageGivesTheCharacterNext) {
  PostMessageA(window, WM_KEYDOWN, 'A', 0);
  PostMessageA(window, WM_KEYDOWN, VK_F1, 0);
  PostMessageA(window, WM_TEST_A, 0, 0);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_TRUE(TranslateMessage(&msg));
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_CHAR));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>('a'));
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_F1));
  TranslateMessage(&msg);
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_TEST_A) << "F1 gives no character";
}

TEST(CrossThread, SendRunsOnTheWindowsThreadAndWaitsForTheAnswer) {
  clearLog();
  answerWith(WM_TEST_A, [](HWND, WPARAM, LPARAM) {
    std::this_thread::sleep_for(50ms);
    return LRESULT{105};
  });
  WindowThread host("host");
  EXPECT_EQ(SendMessageA(host.window, WM_TEST_A, 0, 0), 105);
  const auto log = loggedMessages();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back().message, WM_TEST_A);
  EXPECT_EQ(log.back().threadId, host.threadId);
  EXPECT_NE(log.back().threadId, GetCurrentThreadId());
  clearLog();
}

// While one thread waits on a message it sent, it answers messages sent to it,
// so two threads sending to each other finish.
TEST(CrossThread, SendersAnswerEachOtherWhileWaiting) {
  HWND local = createLogged("local", WS_POPUP, nullptr);
  WindowThread remote("remote");
  clearLog();
  answerWith(WM_TEST_B, [](HWND, WPARAM wParam, LPARAM) { return static_cast<LRESULT>(wParam + 1); });
  answerWith(WM_TEST_A, [local](HWND, WPARAM wParam, LPARAM) {
    return SendMessageA(local, WM_TEST_B, wParam, 0) * 10;  // back to the waiting thread
  });
  EXPECT_EQ(SendMessageA(remote.window, WM_TEST_A, 4, 0), 50);
  const auto log = loggedMessages();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].message, WM_TEST_B);
  EXPECT_EQ(log[1].threadId, GetCurrentThreadId()) << "answered on the thread that waited";
  DestroyWindow(local);
  clearLog();
}

TEST(CrossThread, GetMessageWaitsForAPostFromAnotherThread) {
  std::atomic<DWORD> waiter{0};
  std::promise<UINT> received;
  auto got = received.get_future();
  std::thread consumer([&] {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
    waiter = GetCurrentThreadId();
    GetMessageA(&msg, nullptr, 0, 0);
    received.set_value(msg.message);
  });
  while (!waiter) std::this_thread::sleep_for(1ms);
  EXPECT_EQ(got.wait_for(50ms), std::future_status::timeout) << "blocks while the queue is empty";
  ASSERT_TRUE(PostThreadMessageA(waiter, WM_TEST_B, 0, 0));
  ASSERT_EQ(got.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(got.get(), WM_TEST_B);
  consumer.join();
}

TEST(CrossThread, SendToAThreadThatEndsReturnsZero) {
  std::promise<HWND> made;
  std::promise<void> release;
  std::thread owner([&] {
    made.set_value(createLogged("short-lived", WS_POPUP, nullptr));
    release.get_future().wait();  // never pumps messages
  });
  HWND window = made.get_future().get();
  auto sent = std::async(std::launch::async, [window] { return SendMessageA(window, WM_TEST_A, 0, 0); });
  EXPECT_EQ(sent.wait_for(50ms), std::future_status::timeout);
  release.set_value();
  owner.join();
  ASSERT_EQ(sent.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(sent.get(), 0);
  EXPECT_FALSE(IsWindow(window)) << "a thread's windows end with it";
}

}  // namespace
