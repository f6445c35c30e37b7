// The bundled resources are object files linked through mirrel_resources; this file only gives
// the library a translation unit of its own.
