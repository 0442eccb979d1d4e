#pragma once

// JPEG bytes to image through libjpeg. Only decoding is needed: the panel photograph.

#include <QByteArray>
#include <QImage>
#include <stdexcept>
#include <string>

class EJpegError : public std::runtime_error {
public:
    explicit EJpegError(const std::string& message) : std::runtime_error(message) {}
};

// Throws EJpegError with libjpeg's reason for empty, corrupt or truncated data.
QImage DecodeJpeg(const QByteArray& bytes);
