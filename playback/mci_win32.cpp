#include "playback/mci_win32.h"

#include <windows.h>
#include <mmsystem.h>

#include <string>

#include "core/names.h"
#include "core/system_dlls_win32.h"
#include "core/wide_win32.h"

namespace vireo {

int32_t Win32Mci::sendString(const char* command, char* reply, unsigned replyLength) {
    // The commands are Windows-1252; the single-byte service reads them in the
    // system's code page, which is that one on the systems the player is made
    // for. Elsewhere they go through the wide service, spelled exactly.
    if (GetACP() != 1252) return sendStringW(WidenCp1252(command).c_str(), reply, replyLength);
    // No callback window: the end of a track is found by polling.
    const MCIERROR result = sys::mciSendStringA(command, reply, replyLength, nullptr);
    return static_cast<int32_t>(result);
}

int32_t Win32Mci::sendStringW(const char16_t* command, char* reply, unsigned replyLength) {
    std::u16string wide(replyLength, u'\0');
    const std::u16string text(command);
    const MCIERROR result = sys::mciSendStringW(Wide(text), replyLength ? Wide(wide) : nullptr, replyLength, nullptr);
    if (replyLength) {
        // Replies are numbers and words: whatever else comes back is no digit.
        wide.resize(std::char_traits<char16_t>::length(wide.c_str()));
        const std::string spelled = ExactCp1252(wide).value_or(std::string(wide.size(), '?'));
        const size_t n = spelled.size() < replyLength ? spelled.size() : replyLength - 1;
        spelled.copy(reply, n);
        reply[n] = '\0';
    }
    return static_cast<int32_t>(result);
}

}  // namespace vireo
