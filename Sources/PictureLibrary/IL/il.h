// DevIL's names for the picture library beside this folder (see PictureLibrary.h): the program's
// picture code builds against it unchanged where DevIL itself is not available.
#pragma once

#include "PictureLibrary.h"

typedef unsigned int ILenum;
typedef unsigned char ILboolean;
typedef int ILint;
typedef unsigned int ILuint;
typedef unsigned char ILubyte;
typedef size_t ILsizei;

#define IL_FALSE 0
#define IL_TRUE 1
#define IL_PNG picturelib::kPng
#define IL_JPG picturelib::kJpeg
#define IL_RGB picturelib::kRgb
#define IL_RGBA picturelib::kRgba
#define IL_LUMINANCE picturelib::kLuminance
#define IL_LUMINANCE_ALPHA picturelib::kLuminanceAlpha
#define IL_UNSIGNED_BYTE picturelib::kUnsignedByte
#define IL_UNSIGNED_SHORT picturelib::kUnsignedShort
#define IL_ORIGIN_LOWER_LEFT picturelib::kOriginLowerLeft
#define IL_ORIGIN_UPPER_LEFT picturelib::kOriginUpperLeft
#define IL_CONV_PAL picturelib::kConvertPalette
#define IL_VERSION_NUM picturelib::kVersionNumber
#define IL_IMAGE_WIDTH picturelib::kImageWidth
#define IL_IMAGE_HEIGHT picturelib::kImageHeight
#define IL_IMAGE_BYTES_PER_PIXEL picturelib::kImageBytesPerPixel
#define IL_IMAGE_FORMAT picturelib::kImageFormat
#define IL_IMAGE_TYPE picturelib::kImageType
#define IL_IMAGE_BPC picturelib::kImageBytesPerChannel
#define IL_IMAGE_ORIGIN picturelib::kImageOrigin
#define IL_NO_ERROR picturelib::kNoError

using picturelib::ilBindImage;
using picturelib::ilConvertImage;
using picturelib::ilDeleteImages;
using picturelib::ilEnable;
using picturelib::ilGenImages;
using picturelib::ilGetData;
using picturelib::ilGetError;
using picturelib::ilGetInteger;
using picturelib::ilInit;
using picturelib::ilLoadL;
