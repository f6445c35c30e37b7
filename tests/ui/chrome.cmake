# Measurement screen chrome: error view, share sheet, hint banner, bottom bar; tutorial; settings.
