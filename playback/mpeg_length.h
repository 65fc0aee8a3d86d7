// The length an MPEG audio file (.mp3) gives of itself, next to what its
// device measures: a device that never says "stopped" after the sound (one
// was seen whose position runs on, "playing" for ever) ends the title by it.
#pragma once
#include <cstdint>
#include <string_view>

namespace vireo {

// The size of the ID3v2 tag at the start of a file, from its first 10 bytes
// (its header and footer included); 0 when there is none.
int64_t Id3v2TagSize(std::string_view first10);
// The play time of the audio that starts with `head` (the bytes from the end of
// the ID3v2 tag on, a few KB), `audioBytes` long up to the end of the file.
// Exact where the encoder wrote the frame count (a Xing, Info or VBRI header
// in the first frame, as LAME and Fraunhofer's encoders do) and the byte count
// beside it covers what the file holds; -1 otherwise: a plain frame says
// nothing of the others, and a file that holds more than its header counts
// (two joined, say) plays longer than it.
int64_t MpegLengthMs(std::string_view head, int64_t audioBytes);

}  // namespace vireo
