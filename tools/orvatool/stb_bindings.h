#pragma once
// The image library, with only the parts the tool uses: PNG in and out,
// from and to memory.
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_WRITE_NO_STDIO
#include <stb_image.h>
#include <stb_image_write.h>
