#pragma once

// The third-party picture decoder as the engine uses it: only the formats we offer are compiled in,
// and it reads from memory so that our own size limit applies before it sees a byte. Its
// implementation is compiled once, in stb_image_decoder.cpp.
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 32767
#define STBI_FAILURE_USERMSG
#include <stb_image.h>
