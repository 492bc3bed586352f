/* A worker thread posts 10,000 messages to a window of the main thread, which takes them
 * with GetMessage; every one must arrive once and in order. Exit code 0 on success. */
#include "platform/win/c/pwin.h"

#include <pthread.h>
#include <sched.h>
#include <stdio.h>

enum
{
    kCount = 10000
};

#define MSG_NUMBER (PWIN_WM_USER + 1)
#define MSG_DONE (PWIN_WM_USER + 2)

struct Received
{
    long next;   /* the number expected next */
    long errors; /* numbers out of order */
};

static PWIN_LRESULT handle(void* context, PWIN_HWND hwnd, PWIN_UINT message, PWIN_WPARAM wParam,
                           PWIN_LPARAM lParam)
{
    struct Received* received = (struct Received*)context;
    (void)hwnd;
    if (message == MSG_NUMBER) {
        if ((long)wParam != received->next || lParam != -(PWIN_LPARAM)wParam) {
            ++received->errors;
        }
        ++received->next;
    } else if (message == MSG_DONE) {
        pwin_PostQuitMessage(17);
    }
    return 0;
}

static void* post(void* arg)
{
    PWIN_HWND hwnd = *(PWIN_HWND*)arg;
    for (long i = 0; i < kCount; ++i) {
        /* A full queue refuses the message: wait for the owner to catch up. */
        while (!pwin_PostMessage(hwnd, MSG_NUMBER, (PWIN_WPARAM)i, -(PWIN_LPARAM)i)) {
            sched_yield();
        }
    }
    while (!pwin_PostMessage(hwnd, MSG_DONE, 0, 0)) {
        sched_yield();
    }
    return NULL;
}

static int check(int ok, const char* what)
{
    if (!ok) {
        fprintf(stderr, "cclient: %s\n", what);
    }
    return ok ? 0 : 1;
}

int main(void)
{
    struct Received received = {0, 0};
    PWIN_HWND hwnd = pwin_CreateMessageWindow(handle, &received, NULL);
    int failures = check(hwnd != 0, "no window");
    if (failures) {
        return 1;
    }
    pthread_t worker;
    if (pthread_create(&worker, NULL, post, &hwnd) != 0) {
        return 1;
    }
    PWIN_MSG msg;
    int got;
    while ((got = pwin_GetMessage(&msg, 0, 0, 0)) > 0) {
        pwin_DispatchMessage(&msg);
    }
    pthread_join(worker, NULL);
    failures += check(got == 0 && msg.message == PWIN_WM_QUIT && msg.wParam == 17,
                      "the loop did not end with WM_QUIT 17");
    failures += check(received.next == kCount, "messages lost or repeated");
    failures += check(received.errors == 0, "messages out of order");

    /* A destroyed window refuses posts, and nothing else in the queue is lost. */
    PWIN_HWND other = pwin_CreateMessageWindow(handle, &received, NULL);
    failures +=
        check(pwin_PostMessage(other, MSG_NUMBER, (PWIN_WPARAM)kCount, -(PWIN_LPARAM)kCount) != 0,
              "post to a live window failed");
    failures += check(pwin_DestroyWindow(hwnd) != 0, "destroy failed");
    failures += check(pwin_PostMessage(hwnd, MSG_NUMBER, 0, 0) == 0,
                      "post to a destroyed window succeeded");
    failures += check(pwin_IsWindow(hwnd) == 0, "destroyed window still a window");
    failures += check(pwin_PeekMessage(&msg, 0, 0, 0, PWIN_PM_REMOVE) != 0 && msg.hwnd == other &&
                          msg.wParam == (PWIN_WPARAM)kCount,
                      "message of the other window lost");
    pwin_DispatchMessage(&msg);
    failures += check(received.next == kCount + 1 && received.errors == 0,
                      "message of the other window not handled");
    failures += check(pwin_PeekMessage(&msg, 0, 0, 0, PWIN_PM_REMOVE) == 0, "queue not empty");
    pwin_DestroyWindow(other);
    return failures == 0 ? 0 : 1;
}
