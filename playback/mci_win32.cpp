#include "playback/mci_win32.h"

#include <windows.h>
#include <mmsystem.h>

#include "core/system_dlls_win32.h"

namespace vireo {

int32_t Win32Mci::sendString(const char* command, char* reply, unsigned replyLength) {
    // No callback window: the end of a track is found by polling.
    const MCIERROR result = sys::mciSendStringA(command, reply, replyLength, nullptr);
    return static_cast<int32_t>(result);
}

}  // namespace vireo
