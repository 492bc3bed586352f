/* A plain C client of the driver library on the no-hardware set (Istrel without A/D):
 * single scans with synthetic data at the integration time given, the channel order of scans to
 * average, a second client served round-robin, and 100,000 continuous scans stopped from the
 * message handler, with the stack depth of the handler checked to stay flat. Exit code 0 on
 * success. */
#include "driver/include/vykdrv32.h"
#include "platform/win/c/pwin.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);          \
            exit(1);                                                                               \
        }                                                                                          \
    } while (0)

#define PIXELS 2048
#define MSG_KICK (PWIN_WM_USER + 500)
#define CONTINUOUS_SCANS 100000L

typedef struct Client
{
    uint32_t key;
    PWIN_HWND window;
    RegistrationRecord record;
    float buffers[8][4096];
    float last[8]; /* pixel 1 of each channel when last seen */
    int fullCount[8];
    int starts[64]; /* channels seen starting, in order */
    int startCount;
    int scansToAverage;
    long scans;
    long stopAfter;
    uintptr_t stackLowest;
    uintptr_t stackHighest;
    uintptr_t stackAtTenth;    /* handler's stack at the 10th continuous scan ... */
    uintptr_t stackBeforeStop; /* ... and at the one before the last */
} Client;

/* The order in which 0x465 arrived, over both clients: key * 10 + channel. */
static int g_fullOrder[256];
static int g_fullOrderCount;

/* Pixel i of a synthetic scan is i plus noise up to 50; an average of scans keeps that. */
static void checkSynthetic(const Client* client, int channel)
{
    const float* b = client->buffers[channel];
    CHECK(b[0] == 0.0f);
    for (int i = 1; i < PIXELS; ++i)
        CHECK(b[i] >= (float)i - 0.01f && b[i] <= (float)i + 50.01f);
}

static PWIN_LRESULT handler(void* context, PWIN_HWND window, PWIN_UINT message, PWIN_WPARAM wParam,
                            PWIN_LPARAM lParam)
{
    Client* client = (Client*)context;
    (void)window;
    if (message == VYK_MSG_STATUS) {
        /* Posted at each channel start and dispatched once the channel is filled: the
         * channel whose data changed is the one that was acquired. */
        for (int c = 0; c < 8; ++c) {
            if (client->record.channelEnables[c] && client->buffers[c][1] != client->last[c]) {
                client->last[c] = client->buffers[c][1];
                if (client->startCount < 64)
                    client->starts[client->startCount++] = c;
            }
        }
    } else if (message == VYK_MSG_BUFFER_FULL) {
        const int channel = (int)wParam;
        CHECK(channel >= 0 && channel < 8);
        CHECK(lParam != 0);
        CHECK(((const RegistrationRecord*)lParam)->bufferStates[channel] == VYK_BUFFER_FULL);
        int local = 0;
        const uintptr_t at = (uintptr_t)&local;
        if (client->stackLowest == 0 || at < client->stackLowest)
            client->stackLowest = at;
        if (at > client->stackHighest)
            client->stackHighest = at;
        if (client->scans == 10)
            client->stackAtTenth = at;
        if (client->stopAfter != 0 && client->scans == client->stopAfter - 1)
            client->stackBeforeStop = at;
        if (client->stopAfter == 0)
            checkSynthetic(client, channel);
        client->last[channel] = client->buffers[channel][1];
        ++client->fullCount[channel];
        if (g_fullOrderCount < 256)
            g_fullOrder[g_fullOrderCount++] = (int)client->key * 10 + channel;
        CHECK(VYK_BufferEmpty(client->key, (int16_t)channel) != 0);
        if (client->stopAfter != 0 && ++client->scans == client->stopAfter)
            CHECK(VYK_Stop(client->key) == 0);
    } else if (message == MSG_KICK) {
        /* Asked while another client's scan runs: queued. */
        CHECK(VYK_SingleScan(client->key) == 0);
    }
    return 0;
}

static void pump(void)
{
    PWIN_MSG msg;
    while (pwin_PeekMessage(&msg, 0, 0, 0, PWIN_PM_REMOVE))
        pwin_DispatchMessage(&msg);
}

static void setUp(Client* client, uint32_t key, const int* channels, int count, int scans)
{
    memset(&client->record, 0, sizeof client->record);
    client->key = key;
    client->record.size = (int16_t)sizeof(RegistrationRecord);
    client->record.instanceKey = key;
    client->record.window = client->window;
    client->record.integration = 1;
    client->record.scansToAverage = (int16_t)scans;
    client->scansToAverage = scans;
    for (int i = 0; i < count; ++i) {
        client->record.channelEnables[channels[i]] = 1;
        client->record.channelBuffers[channels[i]] = client->buffers[channels[i]];
    }
    for (int c = 0; c < 8; ++c) {
        client->last[c] = client->buffers[c][1];
        client->fullCount[c] = 0;
    }
    client->startCount = 0;
}

int main(void)
{
    static Client a;
    static Client b;
    a.window = pwin_CreateMessageWindow(handler, &a, NULL);
    b.window = pwin_CreateMessageWindow(handler, &b, NULL);
    CHECK(a.window != 0 && b.window != 0);

    CHECK(VYK_Config(VYK_SPEC_ISTREL, VYK_ADC_NONE, 0, 0) == 0);

    /* Single scan: one 0x465 per enabled channel, with the synthetic ramp. */
    const int three[] = {0, 2, 5};
    setUp(&a, 1001, three, 3, 1);
    CHECK(VYK_Register(&a.record) == 0);
    CHECK(VYK_ParamSet(&a.record) == 0);
    CHECK(VYK_SingleScan(1001) == 0);
    pump();
    CHECK(a.fullCount[0] == 1 && a.fullCount[2] == 1 && a.fullCount[5] == 1);
    CHECK(a.fullCount[1] == 0 && a.fullCount[7] == 0);
    CHECK(g_fullOrderCount == 3 && g_fullOrder[0] == 10010 && g_fullOrder[1] == 10012 &&
          g_fullOrder[2] == 10015);

    /* The integration time given is applied by the scan and answered. */
    CHECK(VYK_GetIntegrationTime() == 1);
    a.record.integration = 100;
    CHECK(VYK_ParamSet(&a.record) == 0);
    CHECK(VYK_SingleScan(1001) == 0);
    pump();
    CHECK(a.fullCount[0] == 2);
    CHECK(VYK_GetIntegrationTime() == 100);

    /* Scans to average 3 on channels 0 and 2 (status messages on): 0,2,0,2,0,2. */
    const int two[] = {0, 2};
    setUp(&a, 1001, two, 2, 3);
    a.record.command = 2;
    CHECK(VYK_ParamSet(&a.record) == 0);
    a.record.command = 0;
    CHECK(VYK_SingleScan(1001) == 0);
    pump();
    CHECK(a.startCount == 6);
    for (int i = 0; i < 6; ++i)
        CHECK(a.starts[i] == (i % 2 == 0 ? 0 : 2));
    CHECK(a.fullCount[0] == 1 && a.fullCount[2] == 1);

    /* A second client asking during the scan is served after it, round-robin. */
    const int one[] = {1};
    setUp(&b, 1002, one, 1, 1);
    CHECK(VYK_Register(&b.record) == 0);
    CHECK(VYK_ParamSet(&b.record) == 0);
    setUp(&a, 1001, two, 2, 1);
    CHECK(VYK_ParamSet(&a.record) == 0);
    g_fullOrderCount = 0;
    CHECK(pwin_PostMessage(b.window, MSG_KICK, 0, 0));
    CHECK(VYK_SingleScan(1001) == 0);
    pump();
    CHECK(g_fullOrderCount == 3);
    CHECK(g_fullOrder[0] == 10010 && g_fullOrder[1] == 10012 && g_fullOrder[2] == 10021);

    /* 100,000 continuous scans, stopped by the handler, in flat stack. */
    setUp(&a, 1001, one, 1, 1);
    a.record.command = 2; /* status messages off again */
    CHECK(VYK_ParamSet(&a.record) == 0);
    a.record.command = 0;
    a.scans = 0;
    a.stopAfter = CONTINUOUS_SCANS;
    a.stackLowest = 0;
    a.stackHighest = 0;
    CHECK(VYK_ContinuousScan(1001) == 0);
    pump();
    CHECK(a.scans >= CONTINUOUS_SCANS);
    CHECK(a.scans <= CONTINUOUS_SCANS + 1);
    fprintf(stderr, "continuous scans: %ld, handler stack spread: %lu bytes\n", a.scans,
            (unsigned long)(a.stackHighest - a.stackLowest));
    /* Dispatched from the same place, the 10th and the 99,999th scan run at one depth. */
    CHECK(a.stackAtTenth != 0 && a.stackAtTenth == a.stackBeforeStop);

    CHECK(VYK_UnRegister(1001) != NULL);
    CHECK(VYK_UnRegister(1002) != NULL);
    CHECK(pwin_DestroyWindow(a.window));
    CHECK(pwin_DestroyWindow(b.window));
    return 0;
}
