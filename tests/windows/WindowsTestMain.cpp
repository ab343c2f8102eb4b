#define DOCTEST_CONFIG_IMPLEMENT
#include "WindowsTestSupport.h"

#include <doctest/doctest.h>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc > 1 && std::wstring(argv[1]) == L"--writer")
        return lanvex::test::RunWriterChild(argc, argv);
    // doctest reads only ASCII options.
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.emplace_back(argv[i], argv[i] + std::wcslen(argv[i]));
    std::vector<const char*> pointers;
    for (const auto& argument : arguments)
        pointers.push_back(argument.c_str());
    doctest::Context context(static_cast<int>(pointers.size()), pointers.data());
    return context.run();
}
