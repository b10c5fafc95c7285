// The picture decoding the program asks of DevIL, for the platforms DevIL is not built for (the
// browser): the same calls, answered by libpng and libjpeg as DevIL's own PNG and JPEG loaders
// answer them, down to each transform they ask of the two libraries, so a picture decodes to the
// same bytes. Only what the program uses is here: images by handle, loading PNG and JPEG from
// memory, the flip, the conversion to 8-bit RGBA, and the few properties it reads.
//
// The names live in a namespace of their own, so a test can hold them beside the real library's;
// IL/il.h beside this file offers them under the library's own names.
#pragma once

#include <cstddef>
#include <cstdint>

namespace picturelib {

// The property and constant numbers are the library's own.
inline constexpr unsigned kPng = 0x042A;
inline constexpr unsigned kJpeg = 0x0425;
inline constexpr unsigned kRgb = 0x1907;
inline constexpr unsigned kRgba = 0x1908;
inline constexpr unsigned kLuminance = 0x1909;
inline constexpr unsigned kLuminanceAlpha = 0x190A;
inline constexpr unsigned kUnsignedByte = 0x1401;
inline constexpr unsigned kUnsignedShort = 0x1403;
inline constexpr unsigned kOriginLowerLeft = 0x0601;
inline constexpr unsigned kOriginUpperLeft = 0x0602;
inline constexpr unsigned kConvertPalette = 0x0630;
inline constexpr unsigned kVersionNumber = 0x0DE2;
inline constexpr unsigned kImageWidth = 0x0DE4;
inline constexpr unsigned kImageHeight = 0x0DE5;
inline constexpr unsigned kImageBytesPerPixel = 0x0DE8;
inline constexpr unsigned kImageFormat = 0x0DEA;
inline constexpr unsigned kImageType = 0x0DEB;
inline constexpr unsigned kImageBytesPerChannel = 0x0DFA;
inline constexpr unsigned kImageOrigin = 0x0DFE;
inline constexpr unsigned kNoError = 0x0000;
inline constexpr unsigned kIllegalOperation = 0x0506;
inline constexpr unsigned kLibraryPngError = 0x05E6;
inline constexpr unsigned kLibraryJpegError = 0x05E1;
inline constexpr unsigned kInvalidValue = 0x0505;
inline constexpr unsigned kInvalidConversion = 0x0508;
// The library version these calls behave as.
inline constexpr int kVersion = 178;

void ilInit();
void ilEnable(unsigned mode);
void ilGenImages(size_t count, unsigned* names);
void ilDeleteImages(size_t count, const unsigned* names);
void ilBindImage(unsigned name);
// Loads a PNG or a JPEG from memory into the bound image; false (and an error) when it cannot.
unsigned char ilLoadL(unsigned type, const void* data, unsigned size);
unsigned char ilConvertImage(unsigned format, unsigned type);
int ilGetInteger(unsigned mode);
unsigned char* ilGetData();
unsigned ilGetError();
// Turns the bound image upside down.
unsigned char iluFlipImage();
void iluInit();

}  // namespace picturelib
