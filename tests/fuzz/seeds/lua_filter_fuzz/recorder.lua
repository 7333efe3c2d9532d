paint_open(3) paint_line(1, nil, 3, 4) paint_brush_color(2, -1, 0/0) paint_set_color_banks("x", 1)
paint_stroke_start(0, 0) paint_stroke_pos(1, 1, 0.5) paint_stroke_stop()
