# Fine noise: even grey grain, one value per pixel.
ISL 1
size 128 128
seed 601
noise cell=1 color1=64,64,64 color2=192,192,192
