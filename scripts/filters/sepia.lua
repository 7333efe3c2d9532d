-- Sepia tone: the grey level of each pixel tinted brown.
-- sliderVal1 (p1 / 1000) is the strength: 0 keeps the picture, 1 is full sepia.
local strength = sliderVal1
if strength <= 0 then strength = 1 end
for y = 0, height - 1 do
  for x = 0, width - 1 do
    local r, g, b = get_rgb(x, y)
    local tr = 0.393 * r + 0.769 * g + 0.189 * b
    local tg = 0.349 * r + 0.686 * g + 0.168 * b
    local tb = 0.272 * r + 0.534 * g + 0.131 * b
    set_rgb(x, y, r + (tr - r) * strength, g + (tg - g) * strength, b + (tb - b) * strength)
  end
end
