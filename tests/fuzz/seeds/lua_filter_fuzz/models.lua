local h, s, l = get_hsl(1, 1) set_hsl(1, 1, h + 400, s * 2, l) set_lab(0, 0, 50, 20, -20)
set_cmyk(2, 2, 0.1, 0.2, 0.3, 0.4) set_mask(3, 3, -0.5) merge(MERGE_SCREEN, 0.5) flush()
