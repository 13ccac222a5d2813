// Messages sent to a window of another thread: delivered on the owner's thread, and only when
// it looks at its messages; a sender delivers what is sent to it while it waits; and
// MsgWaitForMultipleObjects wakes for them, for events and for nothing else.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/standin/far_side.h"

namespace {

constexpr DWORD kWaitBoundMs = 5000;
constexpr UINT kAsk = WM_APP + 7;
constexpr char kClassName[] = "SentMessagesTestWindow";

// The thread that ran the window's procedure last, and what it answers: its argument plus 1.
std::atomic<DWORD> procedureThread{0};
// A window procedure may send on to this window before it answers (nested sends).
std::atomic<HWND> forwardTo{nullptr};

LRESULT CALLBACK AnswerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kAsk)
        return DefWindowProcA(window, message, wParam, lParam);
    procedureThread.store(GetCurrentThreadId());
    HWND next = forwardTo.exchange(nullptr);
    const LRESULT forwarded = next != nullptr ? SendMessageA(next, kAsk, wParam, 0) : 0;
    return static_cast<LRESULT>(wParam) + 1 + forwarded;
}

HWND CreateAnswerWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = AnswerProc;
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass); // the first test registers it
    return CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                           nullptr);
}

// Delivers what other threads sent to this one, and nothing else.
void DeliverSent() {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

bool SentMessageWaiting(DWORD milliseconds) {
    return MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0;
}

class SentMessages : public testing::Test {
protected:
    void SetUp() override {
        window = CreateAnswerWindow();
        ASSERT_NE(window, nullptr);
        procedureThread.store(0);
    }
    void TearDown() override {
        if (sender.joinable())
            sender.join();
        DestroyWindow(window);
    }

    // Another thread sends `value` to the window and keeps the answer.
    void SendFromAnotherThread(WPARAM value) {
        sender = std::thread([this, value] {
            senderThread.store(GetCurrentThreadId());
            answer.store(SendMessageA(window, kAsk, value, 0));
        });
    }

    HWND window = nullptr;
    std::thread sender;
    std::atomic<DWORD> senderThread{0};
    std::atomic<LRESULT> answer{-1};
};

TEST_F(SentMessages, ASendFromTheOwnerRunsAtOnce) {
    EXPECT_EQ(SendMessageA(window, kAsk, 41, 0), 42);
    EXPECT_EQ(procedureThread.load(), GetCurrentThreadId());
}

TEST_F(SentMessages, AreDeliveredOnTheOwnersThreadOnlyWhenItLooksAtItsMessages) {
    SendFromAnotherThread(9);
    ASSERT_TRUE(SentMessageWaiting(kWaitBoundMs));
    // Waiting for it did not deliver it: the sender still waits for its answer.
    EXPECT_EQ(procedureThread.load(), 0u);
    EXPECT_EQ(answer.load(), -1);
    DeliverSent();
    sender.join();
    EXPECT_EQ(answer.load(), 10);
    EXPECT_EQ(procedureThread.load(), GetCurrentThreadId());
}

TEST_F(SentMessages, DeliveringThemRetrievesNoPostedMessage) {
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER + 3, 0, 0));
    SendFromAnotherThread(1);
    ASSERT_TRUE(SentMessageWaiting(kWaitBoundMs));
    DeliverSent();
    sender.join();
    EXPECT_EQ(answer.load(), 2);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 3));
}

TEST_F(SentMessages, GetMessageDeliversThemWhileItWaits) {
    SendFromAnotherThread(5);
    ASSERT_TRUE(SentMessageWaiting(kWaitBoundMs));
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0));
    MSG message;
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), FALSE); // delivered first, then the quit
    sender.join();
    EXPECT_EQ(answer.load(), 6);
}

TEST_F(SentMessages, ASenderDeliversWhatIsSentToItWhileItWaits) {
    // The owner's procedure sends on to a window of the sending thread, which is blocked in
    // its own send: only delivering while it waits lets both finish.
    std::atomic<HWND> senderWindow{nullptr};
    sender = std::thread([&] {
        HWND own = CreateAnswerWindow();
        senderWindow.store(own);
        forwardTo.store(own);
        answer.store(SendMessageA(window, kAsk, 100, 0));
        DestroyWindow(own);
    });
    ASSERT_TRUE(SentMessageWaiting(kWaitBoundMs));
    DeliverSent();
    sender.join();
    EXPECT_EQ(answer.load(), 100 + 1 + (100 + 1)); // the forwarded answer is added
}

TEST_F(SentMessages, ASenderWhoseOwnerEndsGetsNoAnswer) {
    std::atomic<HWND> ownersWindow{nullptr};
    std::atomic<bool> sent{false};
    std::thread owner([&] {
        ownersWindow.store(CreateAnswerWindow());
        while (!sent.load())
            std::this_thread::yield();
        // Ends without ever looking at its messages.
    });
    while (ownersWindow.load() == nullptr)
        std::this_thread::yield();
    std::thread lateSender([&] {
        sent.store(true);
        answer.store(SendMessageA(ownersWindow.load(), kAsk, 1, 0));
    });
    owner.join();
    lateSender.join();
    EXPECT_EQ(answer.load(), 0);
}

TEST(MessageWait, WakesForAnEventAndTimesOutWithoutInput) {
    HANDLE events[2] = {CreateEventA(nullptr, FALSE, FALSE, nullptr),
                        CreateEventA(nullptr, FALSE, TRUE, nullptr)};
    EXPECT_EQ(MsgWaitForMultipleObjects(2, events, FALSE, kWaitBoundMs, QS_SENDMESSAGE),
              WAIT_OBJECT_0 + 1);
    // The auto-reset event was cleared by the wait that it ended.
    EXPECT_EQ(MsgWaitForMultipleObjects(2, events, FALSE, 20, QS_SENDMESSAGE), WAIT_TIMEOUT);
    // A posted message is input only for the kinds that include it.
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER, 0, 0));
    EXPECT_EQ(MsgWaitForMultipleObjects(2, events, FALSE, 20, QS_SENDMESSAGE), WAIT_TIMEOUT);
    EXPECT_EQ(MsgWaitForMultipleObjects(2, events, FALSE, 20, QS_ALLINPUT), WAIT_OBJECT_0 + 2);
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, events, TRUE, 0, QS_ALLINPUT), WAIT_FAILED);
    for (HANDLE event : events)
        CloseHandle(event);
}

TEST(MessageWindows, OnlyMessageOnlyWindowsOfARegisteredClassExist) {
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                              nullptr),
              nullptr);
    EXPECT_EQ(CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    HWND window = CreateAnswerWindow();
    ASSERT_NE(window, nullptr);
    std::thread other([window] { EXPECT_FALSE(DestroyWindow(window)); }); // not its window
    other.join();
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_EQ(SendMessageA(window, kAsk, 1, 0), 0); // gone
}

} // namespace
