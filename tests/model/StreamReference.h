#pragma once
#include "ModelVertex.h"

#include <string>

// The model file read the plain way: std::ifstream in text mode, a character
// at a time up to each ':', operator>> for the count and for every field.
// Small and obviously right; the fast reader must match it exactly. On hosts
// whose streams do no text-mode translation it reads the text as Windows text
// mode would deliver it, so it means the same thing everywhere.
class StreamReference
{
public:
    // The same contract as ModelFileReader::ReadFile, failures included.
    static bool ReadFile(const char* fileName, int& vertexCount, ModelVertex*& vertexList);

    // What a text-mode stream on Windows delivers for these bytes: a CR LF
    // pair becomes one LF, a lone CR stays, Ctrl-Z ends the text.
    static std::string TextModeText(const std::string& bytes);
};
