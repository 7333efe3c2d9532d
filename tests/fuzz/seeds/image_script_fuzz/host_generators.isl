ISL 1
size 24 24
host_lines seed=5 v1=40 v2=20 v3=25 v4=50 v5=500 v6=10 colour=10,20,30 blend=0
host_trees seed=6 v1=100 v2=100 v3=100 v4=100 v5=1000
host_plasma seed=7 v1=500 blend=13
host_perlin_noise seed=8 v1=62 v3=43 v4=50 blend=11
host_pattern v7=5 v1=10 v4=30 blend=99
host_sine_plasma seed=3 v1=20 v7=1
