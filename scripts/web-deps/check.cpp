// Sanity check of the wasm libraries: each one is used once the way the program uses it, on data
// made here, and the program exits non-zero with a line naming the first library that misbehaves.
// Built and run under node by check.sh.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>
#include <kiss_fftr.h>
#include <mpg123.h>
#include <png.h>
#include <tinyxml.h>
#include <unzip.h>
#include <zip.h>
#include <zlib.h>

namespace {

int failures = 0;

void Check(bool ok, const char *what) {
    std::printf("%s: %s\n", ok ? "ok  " : "FAIL", what);
    if (!ok) ++failures;
}

// A 16x8 RGB gradient: red across, green down, blue constant.
std::vector<unsigned char> Gradient(int w, int h) {
    std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char *p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
            p[0] = static_cast<unsigned char>(x * 16);
            p[1] = static_cast<unsigned char>(y * 32);
            p[2] = 200;
        }
    return rgb;
}

void CheckZlib() {
    std::string text(4000, 'a');
    for (size_t i = 0; i < text.size(); i += 7) text[i] = 'b';
    uLongf packedSize = compressBound(text.size());
    std::vector<Bytef> packed(packedSize);
    bool ok = compress(packed.data(), &packedSize, reinterpret_cast<const Bytef *>(text.data()),
                       text.size()) == Z_OK;
    std::vector<Bytef> back(text.size());
    uLongf backSize = back.size();
    ok = ok && uncompress(back.data(), &backSize, packed.data(), packedSize) == Z_OK &&
         backSize == text.size() && std::memcmp(back.data(), text.data(), backSize) == 0;
    Check(ok && packedSize < 200, "zlib compress and inflate");
}

void CheckMinizip() {
    const char *path = "/tmp/check.zip";
    const char body[] = "<part1 start=\"0\"/>";
    zipFile zf = zipOpen(path, APPEND_STATUS_CREATE);
    bool ok = zf &&
              zipOpenNewFileInZip(zf, "syncroscripts/part1.xml", nullptr, nullptr, 0, nullptr, 0, nullptr,
                                  Z_DEFLATED, Z_DEFAULT_COMPRESSION) == ZIP_OK &&
              zipWriteInFileInZip(zf, body, sizeof body - 1) == ZIP_OK && zipCloseFileInZip(zf) == ZIP_OK;
    if (zf) ok = zipClose(zf, nullptr) == ZIP_OK && ok;
    zlib_filefunc_def io;
    fill_fopen_filefunc(&io);
    unzFile uf = unzOpen2(path, &io);
    char got[64] = {};
    ok = ok && uf && unzLocateFile(uf, "SYNCROSCRIPTS/PART1.XML", 2) == UNZ_OK &&
         unzOpenCurrentFile(uf) == UNZ_OK &&
         unzReadCurrentFile(uf, got, sizeof got) == static_cast<int>(sizeof body - 1) &&
         std::strcmp(got, body) == 0 && unzCloseCurrentFile(uf) == UNZ_OK;
    if (uf) unzClose(uf);
    Check(ok, "minizip zip, unzOpen2 and a case-blind member lookup");
}

std::vector<unsigned char> PngBytes(int w, int h) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = w;
    image.height = h;
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb = Gradient(w, h);
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr)) return {};
    std::vector<unsigned char> bytes(size);
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, rgb.data(), 0, nullptr)) return {};
    bytes.resize(size);
    return bytes;
}

void CheckPng(const std::vector<unsigned char> &bytes) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    bool ok = !bytes.empty() && png_image_begin_read_from_memory(&image, bytes.data(), bytes.size());
    std::vector<unsigned char> rgb(16 * 8 * 3);
    if (ok) {
        image.format = PNG_FORMAT_RGB;
        ok = image.width == 16 && image.height == 8 &&
             png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr);
    }
    Check(ok && rgb == Gradient(16, 8), "libpng write and read back, lossless");
}

std::vector<unsigned char> JpegBytes(int w, int h) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char *out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&c, &out, &outSize);
    c.image_width = w;
    c.image_height = h;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> rgb = Gradient(w, h);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = &rgb[static_cast<size_t>(c.next_scanline) * w * 3];
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<unsigned char> bytes(out, out + outSize);
    std::free(out);
    return bytes;
}

// Largest difference of a decoded RGB picture from the gradient. JPEG's 4:2:0 chroma at quality 95
// moves this gradient's pixels by up to 15; a swapped channel or a shifted row moves them by more.
int MaxError(const unsigned char *rgb, int w, int h) {
    std::vector<unsigned char> want = Gradient(w, h);
    int worst = 0;
    for (size_t i = 0; i < want.size(); ++i) worst = std::max(worst, std::abs(rgb[i] - want[i]));
    return worst;
}

void CheckJpeg(const std::vector<unsigned char> &bytes) {
    jpeg_decompress_struct d;
    jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, bytes.data(), bytes.size());
    bool ok = jpeg_read_header(&d, TRUE) == JPEG_HEADER_OK;
    std::vector<unsigned char> rgb(16 * 8 * 3);
    if (ok) {
        jpeg_start_decompress(&d);
        ok = d.output_width == 16 && d.output_height == 8 && d.output_components == 3;
        while (ok && d.output_scanline < d.output_height) {
            JSAMPROW row = &rgb[static_cast<size_t>(d.output_scanline) * 16 * 3];
            jpeg_read_scanlines(&d, &row, 1);
        }
        jpeg_finish_decompress(&d);
    }
    jpeg_destroy_decompress(&d);
    Check(ok && MaxError(rgb.data(), 16, 8) <= 24, "libjpeg (jpeg62 API) compress and decompress");
}

void CheckTinyXml() {
    TiXmlDocument doc;
    doc.Parse("<intro><scene start=\"1.5\" name=\"dots\">text</scene></intro>");
    const TiXmlElement *scene = doc.Error() ? nullptr : doc.RootElement()->FirstChildElement("scene");
    double start = 0;
    bool ok = scene && scene->QueryDoubleAttribute("start", &start) == TIXML_SUCCESS && start == 1.5 &&
              std::string(scene->Attribute("name")) == "dots" && std::string(scene->GetText()) == "text";
    TiXmlDocument broken;
    broken.Parse("<intro><scene></intro>");
    Check(ok && broken.Error(), "TinyXML parse, attributes and an error on bad XML");
}

void CheckKissFft() {
    const int n = 64;
    kiss_fftr_cfg cfg = kiss_fftr_alloc(n, 0, nullptr, nullptr);
    std::vector<kiss_fft_scalar> in(n);
    std::vector<kiss_fft_cpx> out(n / 2 + 1);
    // A cosine in bin 5 plus an offset of 0.25: energy at bins 0 and 5 only.
    for (int i = 0; i < n; ++i) in[i] = 0.25f + std::cos(2 * 3.14159265358979 * 5 * i / n);
    kiss_fftr(cfg, in.data(), out.data());
    bool ok = cfg && std::fabs(out[0].r - 16) < 1e-3 && std::fabs(out[5].r - 32) < 1e-3;
    for (int k = 1; k <= n / 2; ++k)
        if (k != 5) ok = ok && std::hypot(out[k].r, out[k].i) < 1e-3;
    kiss_fftr_free(cfg);
    Check(ok && sizeof(kiss_fft_scalar) == sizeof(float), "kissfft float kiss_fftr");
}

void CheckMpg123() {
    bool ok = mpg123_init() == MPG123_OK;
    std::string names;
    bool generic = false;
    for (const char **d = mpg123_decoders(); d && *d; ++d) {
        names += std::string(names.empty() ? "" : " ") + *d;
        generic = generic || std::strcmp(*d, "generic") == 0;
    }
    int err = 0;
    mpg123_handle *h = mpg123_new("generic", &err);
    ok = ok && generic && h && err == MPG123_OK && std::strcmp(mpg123_current_decoder(h), "generic") == 0 &&
         mpg123_decoder(h, "generic") == MPG123_OK && mpg123_open_feed(h) == MPG123_OK &&
         mpg123_format_none(h) == MPG123_OK &&
         mpg123_format(h, 44100, MPG123_STEREO, MPG123_ENC_SIGNED_16) == MPG123_OK;
    if (h) mpg123_delete(h);
    mpg123_exit();
    std::printf("      mpg123 decoders: %s\n", names.c_str());
    Check(ok, "mpg123 with the generic decoder, 16-bit stereo");
}

}  // namespace

int main() {
    std::vector<unsigned char> png = PngBytes(16, 8);
    std::vector<unsigned char> jpeg = JpegBytes(16, 8);
    CheckZlib();
    CheckMinizip();
    CheckPng(png);
    CheckJpeg(jpeg);
    CheckTinyXml();
    CheckKissFft();
    CheckMpg123();
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
