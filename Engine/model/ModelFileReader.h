#pragma once
// Placeholder: the model-file reader arrives with the model work.
