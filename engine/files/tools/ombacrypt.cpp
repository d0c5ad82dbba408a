// ombacrypt: enciphers a plain model file the way the generators decipher enciphered models.
//   ombacrypt PLAIN-MODEL ENCIPHERED-MODEL
#include "engine/files/model_cipher.h"
#include "engine/util/file_io.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: ombacrypt PLAIN-MODEL ENCIPHERED-MODEL\n");
        return 2;
    }
    std::string bytes;
    if (engine::ReadWholeFile(argv[1], bytes) != engine::ReadResult::Ok) {
        std::fprintf(stderr, "ombacrypt: cannot read %s\n", argv[1]);
        return 1;
    }
    if (engine::IsEncipheredModel(bytes) || bytes.find('\0') != std::string::npos) {
        std::fprintf(stderr, "ombacrypt: %s is not a plain model file (it holds a zero byte or a byte of 128 or more)\n",
                     argv[1]);
        return 1;
    }
    if (!engine::WriteWholeFile(argv[2], engine::EncipherModelText(bytes))) {
        std::fprintf(stderr, "ombacrypt: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
