#include "toolkit/crypt/COXCryptFile.h"

namespace toolkit::crypt {

COXCryptFile::COXCryptFile(int keyLengthBits)
    : COXConvertedFile(COXMDCCryptor::kBlockBytes, true), m_cryptor(keyLengthBits)
{}

COXCryptFile::~COXCryptFile()
{
    // Close here, while the cipher still exists, so that the last block is written.
    try {
        if (IsOpen()) {
            Close();
        }
    } catch (...) {
        closeQuietly();
    }
}

bool COXCryptFile::ConvertOnRead(const std::uint8_t* raw, std::uint8_t* plain)
{
    m_cryptor.Decipher(raw, plain);
    return true;
}

bool COXCryptFile::ConvertOnWrite(const std::uint8_t* plain, std::uint8_t* raw)
{
    m_cryptor.Encipher(plain, raw);
    return true;
}

} // namespace toolkit::crypt
