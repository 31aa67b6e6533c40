#include "platform/keyboard.h"

#include "platform/keyboard_device.h"
#include "platform/log.h"

uint8_t kbReady = 0;
uint8_t kbStateValid = 0;
uint8_t kbState[256];

// Logical key numbers to scan codes of the standard keyboard layout.
const uint8_t kbKeyMap[25] = {
    0xC8, 0xD0, 0xCB, 0xCD,         // cursor up, down, left, right
    0x1E, 0x2C, 0x2D, 0x2F,         // A Z X V
    0x10, 0x11, 0x38, 0x16, 0x17,   // Q W left Alt U I
    0x14, 0x15, 0x26, 0x18, 0x32,   // T Y L O M
    0x02, 0x39, 0x4E, 0x4A, 0x03,   // 1, Space, pad +, pad -, 2
    0x19, 0x13,                     // P R
};

int kb_init()
{
    kbStateValid = 0;
    kbReady = 0;
    if (kbdev_acquire() != 0) {
        con_log("Error en Acquire");
        return -1;
    }
    kbReady = 1;
    return 0;
}

int kb_poll()
{
    kbStateValid = 0;
    if (!kbReady)
        return -1;
    int result = kbdev_read(kbState);
    if (result == KBDEV_INPUTLOST) {
        con_log("No tengo el teclado");
        if (kbdev_acquire() != 0) {
            con_log("No puedo pillar el teclado");
            return -1;
        }
    } else if (result == KBDEV_NOTACQUIRED) {
        if (!kbdev_isForeground())
            return -1;
        con_log("Ya tengo el foco");
        if (kbdev_acquire() != 0) {
            con_log("Pero no puedo pillar el teclado");
            return -1;
        }
        con_log("Y el teclado");
    } else if (result != KBDEV_OK) {
        con_log("Ha palmado el GetDeviceState");
        return -1;
    }
    // After a re-acquire the state is not read again in the same poll: the
    // values of the last successful read stand for this frame.
    kbStateValid = 1;
    return 0;
}

int kb_keyDown(int number)
{
    if (number < 0 || number >= 25 || !kbStateValid)
        return 0;
    return (kbState[kbKeyMap[number]] & 0x80) ? 1 : 0;
}
