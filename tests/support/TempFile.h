// A file in the system's temporary folder holding given bytes, removed when
// the object goes. Used by the rules tests both natively and under Wine.
#pragma once

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

class CTempFile
{
public:
    explicit CTempFile(const std::string& bytes)
    {
        static std::atomic<int> s_nCount{0};
        const ::testing::TestInfo* pTest = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("tw-") + (pTest ? pTest->name() : "rules") + "-" +
                           std::to_string(s_nCount++) + ".txt";
        m_path = (std::filesystem::temp_directory_path() / name).string();
        std::FILE* pFile = std::fopen(m_path.c_str(), "wb");
        EXPECT_NE(nullptr, pFile) << m_path;
        if (pFile)
        {
            EXPECT_EQ(bytes.size(), std::fwrite(bytes.data(), 1, bytes.size(), pFile));
            std::fclose(pFile);
        }
    }
    ~CTempFile() { std::remove(m_path.c_str()); }
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    const char* Path() const { return m_path.c_str(); }

private:
    std::string m_path;
};
