#include "cli/StandardStreams.h"

#include <cstdio>
#include <ostream>
#include <streambuf>

namespace lanvex::cli {

namespace {

// Hands every character straight to a C stream, which does the buffering.
class FileBuffer : public std::streambuf
{
public:
    explicit FileBuffer(std::FILE* file)
        : m_file(file)
    { }

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        return std::fputc(c, m_file) == EOF ? traits_type::eof() : c;
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override
    {
        return static_cast<std::streamsize>(std::fwrite(text, 1, static_cast<std::size_t>(count), m_file));
    }

    int sync() override { return std::fflush(m_file) == 0 ? 0 : -1; }

private:
    std::FILE* m_file;
};

class FileStream : public std::ostream
{
public:
    explicit FileStream(std::FILE* file)
        : std::ostream(nullptr)
        , m_buffer(file)
    {
        rdbuf(&m_buffer);
    }

private:
    FileBuffer m_buffer;
};

} // namespace

std::ostream& StandardOutput()
{
    static FileStream stream(stdout);
    return stream;
}

std::ostream& StandardError()
{
    static FileStream stream(stderr);
    return stream;
}

} // namespace lanvex::cli
