-- Records a paint script instead of painting: one brush stroke along each
-- row band whose grey level is darker than sliderVal1 (0.5 when 0), with the
-- brush colour taken from the first pixel of the band. The host plays the
-- file "scripts/luapaint.srp" under its start directory back with its brushes.
local limit = sliderVal1 > 0 and sliderVal1 or 0.5
local band = math.max(1, math.floor(height / 4))
paint_open(variantVal)
paint_brush_size(band)
for y = 0, height - 1, band do
  if get_value(0, y) < limit then
    local r, g, b = get_rgb(0, y)
    paint_brush_color(r, g, b)
    paint_stroke_start(0, y)
    paint_stroke_pos(width / 2, y, 0.5)
    paint_stroke_pos(width - 1, y, 1)
    paint_stroke_stop()
  end
end
paint_close()
