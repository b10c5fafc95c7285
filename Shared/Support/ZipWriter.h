// Builds zip archives for tests with minizip's own writer, including broken ones: members whose
// declared length or checksum lies, and encrypted members.
#pragma once

#include "Support/Crc32.h"

#include <zip.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class ZipWriter {
public:
    enum class Method { kStored, kDeflated };

    explicit ZipWriter(const std::string& path) : zip_(zipOpen(path.c_str(), APPEND_STATUS_CREATE)) {
        if (zip_ == nullptr) throw std::runtime_error("cannot create " + path);
    }
    ~ZipWriter() { Close(); }
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Adds a well-formed member; with a password it is encrypted with the classic zip cipher.
    ZipWriter& Add(const std::string& name, std::string_view bytes, Method method = Method::kDeflated,
                   const char* password = nullptr) {
        const int compression = method == Method::kDeflated ? Z_DEFLATED : 0;
        const uLong crc = Crc(bytes);
        Check(zipOpenNewFileInZip3(zip_, name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr, compression,
                                   Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                   password, crc));
        Check(zipWriteInFileInZip(zip_, bytes.data(), static_cast<unsigned>(bytes.size())));
        Check(zipCloseFileInZip(zip_));
        return *this;
    }
    ZipWriter& Add(const std::string& name, const std::vector<uint8_t>& bytes,
                   Method method = Method::kDeflated) {
        return Add(name, AsView(bytes), method);
    }

    // Adds a member whose data are `bytes` as they stand (a deflate stream for kDeflated) and
    // whose directory entries declare `declaredLength` uncompressed bytes and checksum `crc`.
    ZipWriter& AddRaw(const std::string& name, std::string_view bytes, Method method, uLong declaredLength,
                      uLong crc) {
        const int compression = method == Method::kDeflated ? Z_DEFLATED : 0;
        Check(zipOpenNewFileInZip2(zip_, name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr, compression,
                                   Z_DEFAULT_COMPRESSION, 1));
        Check(zipWriteInFileInZip(zip_, bytes.data(), static_cast<unsigned>(bytes.size())));
        Check(zipCloseFileInZipRaw(zip_, declaredLength, crc));
        return *this;
    }

    void Close() {
        if (zip_ != nullptr) zipClose(zip_, nullptr);
        zip_ = nullptr;
    }

    static uLong Crc(std::string_view bytes) { return Crc32(bytes.data(), bytes.size()); }
    static std::string_view AsView(const std::vector<uint8_t>& bytes) {
        return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
    }

private:
    static void Check(int result) {
        if (result != ZIP_OK) throw std::runtime_error("zip writer failed: " + std::to_string(result));
    }

    zipFile zip_;
};
